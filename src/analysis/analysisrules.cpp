#include "analysis/analysisrules.h"

#include <QLocale>

#include <cstring>

namespace analysis {

namespace {

// Copies one item and its line break; returns the place after them. Most
// items are a few characters long: for those a library call costs more than
// the copy.
inline char16_t *appendItem(char16_t *out, QStringView item)
{
    const char16_t *from = item.utf16();
    const qsizetype length = item.size();
    if (length <= 16) {
        for (qsizetype i = 0; i < length; ++i)
            out[i] = from[i];
    } else {
        std::memcpy(out, from, size_t(length) * sizeof(char16_t));
    }
    out += length;
    *out++ = u'\r';
    *out++ = u'\n';
    return out;
}

} // namespace

QString overCapMessage(qsizetype cap)
{
    return QStringLiteral("解析結果が上限の %1 文字を超えるため、処理を中止しました。")
        .arg(QLocale(QLocale::Japanese).toString(qlonglong(cap)));
}

QString resultsText(QStringView source, const Extraction &found, const std::function<void()> &afterItem)
{
    // Spans that do not lie in this source are cut to it rather than read past its end.
    auto clipped = [&source](const TextSpan &s) {
        const qsizetype start = qMin(qsizetype(s.position), source.size());
        return source.sliced(start, qMin(qsizetype(s.length), source.size() - start));
    };
    qsizetype total = 0;
    for (const TextSpan &s : found.items)
        total += clipped(s).size() + 2;
    // Sized once, then every item is copied straight into place.
    QString text(total, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    if (afterItem) {
        for (const TextSpan &s : found.items) {
            out = appendItem(out, clipped(s));
            afterItem();
        }
    } else {
        for (const TextSpan &s : found.items)
            out = appendItem(out, clipped(s));
    }
    return text;
}

std::optional<AnalizerLayout> analizerLayout(int outerWidth, int outerHeight)
{
    if (outerHeight <= 1500)
        return std::nullopt;
    return AnalizerLayout{outerWidth - 100, outerHeight - 1500, outerHeight - 1000, outerWidth - 3500};
}

} // namespace analysis
