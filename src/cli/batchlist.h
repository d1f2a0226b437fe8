#pragma once

#include <QString>

#include <map>
#include <optional>

class QIODevice;

namespace cli {

// The addresses of a batch list, read as they are wanted: one a line (LF or
// CR LF), UTF-8, a byte order mark at the start ignored. Blanks around an
// address are dropped and a blank line is no address at all, so it neither
// gets a result nor counts for the shard. Of shard K/N, only every N-th
// address starting with the K-th is taken.
class AddressList
{
public:
    AddressList(QIODevice *in, int shardIndex, int shardCount);
    // The next address of this shard; nothing at the end of the list.
    std::optional<QString> next();

private:
    QIODevice *m_in;
    int m_shardIndex;
    int m_shardCount;
    qint64 m_seen = 0; // addresses read so far, of every shard
};

// Results that finish in any order, handed on in the order of their indexes
// (0, 1, 2, ...): each as soon as every one before it has gone.
template <typename T>
class InOrder
{
public:
    void put(qint64 index, T value) { m_waiting.emplace(index, std::move(value)); }
    std::optional<T> takeNext()
    {
        const auto it = m_waiting.find(m_next);
        if (it == m_waiting.end())
            return std::nullopt;
        std::optional<T> value(std::move(it->second));
        m_waiting.erase(it);
        ++m_next;
        return value;
    }
    // The index handed on next.
    qint64 next() const { return m_next; }

private:
    std::map<qint64, T> m_waiting;
    qint64 m_next = 0;
};

} // namespace cli
