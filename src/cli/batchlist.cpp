#include "cli/batchlist.h"

#include <QIODevice>

namespace cli {

AddressList::AddressList(QIODevice *in, int shardIndex, int shardCount)
    : m_in(in), m_shardIndex(shardIndex), m_shardCount(shardCount)
{
}

std::optional<QString> AddressList::next()
{
    while (true) {
        const QByteArray line = m_in->readLine();
        if (line.isEmpty())
            return std::nullopt;
        // (A byte order mark goes with the conversion.)
        const QString address = QString::fromUtf8(line).trimmed();
        if (address.isEmpty())
            continue;
        if (m_seen++ % m_shardCount == m_shardIndex - 1)
            return address;
    }
}

} // namespace cli
