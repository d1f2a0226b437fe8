// Both extractions of the analyser against their literal reference, on any
// text: bytes are taken as UTF-16 code units, so NULs, lone surrogates and
// pairs cut in two all turn up.

#include "analysis/dataanalizerclass.h"
#include "support/literalanalysis.h"

#include <cstdint>
#include <cstdlib>

namespace {

QStringList texts(QStringView source, const Extraction &found)
{
    QStringList items;
    for (const TextSpan &s : found.items)
        items << source.sliced(s.position, s.length).toString();
    return items;
}

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    // The reference searches afresh at every step: keep texts short.
    if (size > 8192)
        return 0;
    const QString text(reinterpret_cast<const QChar *>(bytes), qsizetype(size / 2));
    DataAnalizerClass analizer;
    const Extraction scripts = analizer.ScriptDataSpans(text);
    const Extraction data = analizer.DataSpans(text);
    check(!scripts.overCap && !data.overCap);
    const QStringList scriptItems = texts(text, scripts);
    const QStringList dataItems = texts(text, data);
    check(scriptItems == markloomtest::literalScripts(text));
    check(dataItems == markloomtest::literalData(text));
    for (const auto &[found, items] : {std::pair{&scripts, &scriptItems}, std::pair{&data, &dataItems}}) {
        qsizetype length = 0;
        for (const QString &item : *items)
            length += item.size() + 2;
        check(found->resultsLength == length);
    }
    check(analizer.GetScriptDataLen() == scriptItems.size() && analizer.GetDataLen() == dataItems.size());
    return 0;
}
