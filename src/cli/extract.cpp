#include "cli/headless.h"

#include "analysis/analysisrules.h"
#include "analysis/dataanalizerclass.h"
#include "cli/output.h"

namespace cli {

int printExtraction(bool scripts, const QString &source)
{
    DataAnalizerClass analizer;
    const Extraction found = scripts ? analizer.ScriptDataSpans(source) : analizer.DataSpans(source);
    if (found.overCap) {
        writeMessage(analysis::overCapMessage());
        return 1;
    }
    const qint32 n = scripts ? analizer.GetScriptDataLen() : analizer.GetDataLen();
    if (n == 0) {
        writeMessage(scripts ? analysis::kNoScriptsMessage : analysis::kNoDataMessage);
        return 1;
    }
    if (!writeOut(analysis::resultsText(source, found))) {
        writeMessage(writeFailedMessage());
        return 1;
    }
    return 0;
}

} // namespace cli
