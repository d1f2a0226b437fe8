#include "edit/findstep.h"

namespace findstep {

namespace {

// Lower case for the letters that fold: one unit for one, so positions stay.
QString folded(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if ((u >= u'A' && u <= u'Z') || (u >= u'\uFF21' && u <= u'\uFF3A'))
            c = QChar(char16_t(u + 0x20));
    }
    return out;
}

} // namespace

int findNext(const QString &text, const QString &needle, int searchPos, bool matchCase)
{
    const qsizetype from = searchPos <= 0 ? 1 : searchPos;
    if (from > text.size())
        return 0;
    const qsizetype at = matchCase ? text.indexOf(needle, from - 1, Qt::CaseSensitive)
                                   : folded(text).indexOf(folded(needle), from - 1, Qt::CaseSensitive);
    return at < 0 ? 0 : static_cast<int>(at + 1);
}

QString noHitMessage(const QString &text, const QString &needle, int searchPos, bool matchCase)
{
    const bool nowhere = searchPos <= 1 || findNext(text, needle, 1, matchCase) == 0;
    return nowhere ? QStringLiteral("\"%1\"は見つかりません。").arg(needle) : QStringLiteral("検索が終了しました。");
}

} // namespace findstep
