#include "cli/headless.h"

#include "analysis/analysisrules.h"
#include "analysis/dataanalizerclass.h"

#include <cstdio>

namespace cli {

namespace {

void writeMessage(const QString &text)
{
    const QByteArray bytes = (QStringLiteral("markloom: ") + text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

// Writes text as UTF-8 a slice at a time, so a large result is never held
// twice. Each slice is converted as the results window converts its text, and
// never ends between the halves of a pair.
bool writeUtf8(QStringView text)
{
    constexpr qsizetype kSlice = qsizetype(1) << 20;
    bool ok = true;
    for (qsizetype at = 0; at < text.size() && ok;) {
        qsizetype size = qMin(kSlice, text.size() - at);
        if (at + size < text.size() && text[at + size - 1].isHighSurrogate())
            ++size;
        const QByteArray bytes = text.sliced(at, size).toUtf8();
        ok = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
        at += size;
    }
    return std::fflush(stdout) == 0 && ok;
}

} // namespace

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
    if (!writeUtf8(analysis::resultsText(source, found))) {
        writeMessage(QStringLiteral("could not write the results"));
        return 1;
    }
    return 0;
}

} // namespace cli
