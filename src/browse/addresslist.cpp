#include "browse/addresslist.h"

namespace addresslist {

QStringList loaded(const QStringList &list, const QString &address)
{
    if (address.isEmpty())
        return list;
    QStringList next{address};
    for (const QString &entry : list) {
        if (next.size() >= kMaxEntries)
            break;
        if (entry != address)
            next.append(entry);
    }
    return next;
}

} // namespace addresslist
