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

} // namespace findstep
