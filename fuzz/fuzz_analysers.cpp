// Both extractions of the analyser against their literal reference, on any
// text: bytes are taken as UTF-16 code units, so NULs, lone surrogates and
// pairs cut in two all turn up.

#include "analysis/dataanalizerclass.h"
#include "support/literalanalysis.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    if (size > 8192) // the reference searches afresh at every step
        return 0;
    const QString text(reinterpret_cast<const QChar *>(bytes), qsizetype(size / 2));
    DataAnalizerClass analizer;
    const Extraction found[2] = {analizer.ScriptDataSpans(text), analizer.DataSpans(text)};
    const QStringList expected[2] = {markloomtest::literalScripts(text), markloomtest::literalData(text)};
    for (int i = 0; i < 2; ++i) {
        QStringList items;
        qsizetype length = 0;
        for (const TextSpan &s : found[i].items) {
            items << text.sliced(s.position, s.length);
            length += s.length + 2;
        }
        if (found[i].overCap || items != expected[i] || found[i].resultsLength != length)
            std::abort();
    }
    if (analizer.GetScriptDataLen() != expected[0].size() || analizer.GetDataLen() != expected[1].size())
        std::abort();
    return 0;
}
