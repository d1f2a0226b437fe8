#include "edit/findstep.h"

namespace findstep {

int findNext(const QString &text, const QString &needle, int searchPos)
{
    const qsizetype from = searchPos <= 0 ? 1 : searchPos;
    if (from > text.size())
        return 0;
    const qsizetype at = text.indexOf(needle, from - 1, Qt::CaseSensitive);
    return at < 0 ? 0 : static_cast<int>(at + 1);
}

QString noHitMessage(const QString &text, const QString &needle, int searchPos)
{
    const bool nowhere = searchPos <= 1 || findNext(text, needle, 1) == 0;
    return nowhere ? QStringLiteral("\"%1\"は見つかりません。").arg(needle) : QStringLiteral("検索が終了しました。");
}

} // namespace findstep
