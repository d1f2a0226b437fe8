#include "analysis/dataanalizerclass.h"

#include "analysis/textscan.h"

#include <algorithm>
#include <limits>

namespace {

constexpr QStringView kCloseMark = u"</";
// A block ends nine characters after its "</": the length of "</SCRIPT>".
constexpr qsizetype kCloseTagLength = 9;

// Gathers spans until the results text would pass the cap.
class SpanCollector
{
public:
    SpanCollector(QStringView text, qsizetype cap) : m_cap(cap)
    {
        if (text.size() > qsizetype(std::numeric_limits<quint32>::max())) {
            refuse();
            return;
        }
        // Room for an item every 16 characters, more than pages yield: the
        // list then never moves while it grows, and the part of this room
        // that stays unused is never touched.
        m_found.items.reserve(size_t(text.size() / 16));
    }

    bool refused() const { return m_found.overCap; }

    // false: the cap is passed and collecting must stop.
    bool add(qsizetype position, qsizetype length)
    {
        const qsizetype needed = length + 2; // the item and its CR LF
        if (needed > m_cap - m_found.resultsLength ||
            m_found.items.size() >= size_t(std::numeric_limits<qint32>::max())) {
            refuse();
            return false;
        }
        m_found.resultsLength += needed;
        m_found.items.push_back(TextSpan{quint32(position), quint32(length)});
        return true;
    }

    Extraction take() { return std::move(m_found); }

private:
    void refuse()
    {
        m_found = Extraction();
        m_found.overCap = true;
    }

    qsizetype m_cap;
    Extraction m_found;
};

QStringList materialise(QStringView text, const Extraction &found)
{
    QStringList list;
    list.reserve(qsizetype(found.items.size()));
    for (const TextSpan &s : found.items)
        list.append(text.sliced(s.position, s.length).toString());
    return list;
}

// Hands the result over and adds what it holds to the operation's count.
Extraction finish(SpanCollector &collector, qint32 &count)
{
    Extraction found = collector.take();
    const qint64 sum = qint64(count) + qint64(found.items.size());
    count = sum > std::numeric_limits<qint32>::max() ? std::numeric_limits<qint32>::max() : qint32(sum);
    return found;
}

// "<SCRIPT" at p, its letters in any case: the engine writes tags in lower
// case, typed sources often in upper. ASCII only, so no locale can fold
// another character onto one of them.
bool opensScript(QStringView text, qsizetype p)
{
    static constexpr char16_t kName[] = u"script";
    if (text.size() - p < 7)
        return false;
    for (int i = 0; i < 6; ++i) {
        const char16_t c = text[p + 1 + i].unicode();
        if ((c | 0x20) != kName[i])
            return false;
    }
    return true;
}

bool isAsciiSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
}

} // namespace

bool DataAnalizerClass::IsDataItem(QStringView item)
{
    // Case-sensitive: "&NBSP;" is data. Items are not trimmed; only those
    // made of nothing but the white space between tags are left out.
    if (item.isEmpty() || (item.size() == 6 && item == u"&nbsp;"))
        return false;
    return !std::all_of(item.begin(), item.end(), [](QChar c) { return isAsciiSpace(c.unicode()); });
}

Extraction DataAnalizerClass::ScriptDataSpans(QStringView sorcestr, qsizetype cap)
{
    const qsizetype n = sorcestr.size();
    SpanCollector collector(sorcestr, cap);
    // Overlapping blocks share their "</": the last search is reused while it
    // still lies ahead, so a run of openers without a closer stays linear.
    qsizetype closeFrom = -1; // where the last "</" search started, -1: none yet
    qsizetype close = -1;     // what it found, -1: nothing at or after closeFrom
    textscan::CharCursor openers(sorcestr, u'<');
    for (qsizetype p = collector.refused() ? -1 : openers.next(); p >= 0; p = openers.next()) {
        if (!opensScript(sorcestr, p))
            continue;
        const qsizetype from = p + 1;
        if (closeFrom < 0 || (close >= 0 && close < from)) {
            close = textscan::find(sorcestr, from, kCloseMark);
            closeFrom = from;
        }
        // Without any "</" after it the block runs to the end of the text.
        const qsizetype end = close < 0 ? n : qMin(close + kCloseTagLength, n);
        if (!collector.add(p, end - p))
            break;
    }
    return finish(collector, m_ScriptDataLen);
}

Extraction DataAnalizerClass::DataSpans(QStringView sorcestr, qsizetype cap)
{
    SpanCollector collector(sorcestr, cap);
    if (collector.refused())
        return finish(collector, m_DataLen);
    // Two cursors, 1-based: g at the last ">" found, l at the last "<" found,
    // 0 meaning "not found". Each pass moves both on to their next character;
    // the loop ends when no "<" is left, and when no ">" is left g starts over
    // from the beginning of the text. An item is what lies between them;
    // pass() is false once the cap is passed.
    auto pass = [&](qsizetype g, qsizetype l) {
        const qsizetype length = l - g - 1;
        // 0-based the item starts at g, just after the ">".
        return length <= 0 || !IsDataItem(sorcestr.sliced(g, length)) || collector.add(g, length);
    };
    textscan::CharCursor openers(sorcestr, u'<');
    textscan::CharCursor closers(sorcestr, u'>');
    // l starts at 1, so its first search begins at the second character.
    if (openers.available() && *openers.pending() == 0)
        openers.take(1);

    // Until g starts over, pass k pairs the k-th ">" with the k-th "<":
    // take them in runs from both cursors at once.
    for (;;) {
        const int runs = qMin(closers.available(), openers.available());
        if (runs == 0)
            break;
        const qsizetype *gs = closers.pending();
        const qsizetype *ls = openers.pending();
        for (int i = 0; i < runs; ++i) {
            if (!pass(gs[i] + 1, ls[i] + 1))
                return finish(collector, m_DataLen);
        }
        closers.take(runs);
        openers.take(runs);
    }

    // Openers left over: from here g goes round 0, then every ">" again, for
    // as long as there are "<". Keep the ">" positions so the rounds are cheap.
    qsizetype l = openers.next();
    if (l < 0)
        return finish(collector, m_DataLen);
    std::vector<quint32> cycle; // 1-based positions of every ">"
    textscan::CharCursor all(sorcestr, u'>');
    for (qsizetype k = all.next(); k >= 0; k = all.next())
        cycle.push_back(quint32(k + 1));
    size_t round = 0; // place in the round: 0 is g = 0, i is cycle[i - 1]
    for (; l >= 0; l = openers.next()) {
        const qsizetype g = round == 0 ? 0 : cycle[round - 1];
        round = round == cycle.size() ? 0 : round + 1;
        if (!pass(g, l + 1))
            break;
    }
    return finish(collector, m_DataLen);
}

QStringList DataAnalizerClass::ScriptDataCollection(const QString &sorcestr, bool *overCap)
{
    const Extraction found = ScriptDataSpans(sorcestr);
    if (overCap)
        *overCap = found.overCap;
    return materialise(sorcestr, found);
}

QStringList DataAnalizerClass::DataCollection(const QString &sorcestr, bool *overCap)
{
    const Extraction found = DataSpans(sorcestr);
    if (overCap)
        *overCap = found.overCap;
    return materialise(sorcestr, found);
}
