#pragma once

#include <QString>
#include <QStringList>

namespace addresslist {

// The most addresses the address bar's list keeps.
inline constexpr int kMaxEntries = 50;

// The list once address has loaded: the address on top, once; the oldest
// entries beyond kMaxEntries dropped. An empty address changes nothing.
QStringList loaded(const QStringList &list, const QString &address);

} // namespace addresslist
