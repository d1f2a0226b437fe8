#include "edit/markupformatter.h"

#include <QStringView>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace markup {

namespace {

// What an element is to the formatter.
enum : quint32 {
    Listed = 1u << 0,      // lines break around its tags
    Outer = 1u << 1,       // a line edge just outside its tags (a block)
    Inner = 1u << 2,       // a line edge just inside them
    Hidden = 1u << 3,      // never shown: its tags and text count as nothing
    Void = 1u << 4,        // no end tag
    Raw = 1u << 5,         // text up to its end tag
    ScriptData = 1u << 6,  // ... by the rules of script text
    ToEnd = 1u << 7,       // ... to the end of the text
    Preserve = 1u << 8,    // white space inside it shows
    Foreign = 1u << 9,     // svg, math: "/>" closes elements inside
    Integration = 1u << 10, // foreignObject: HTML again inside
    // For the end tags markup may leave out: what a start tag closes and where
    // the search for it stops.
    GListItem = 1u << 11,
    GDefinition = 1u << 12,
    GPara = 1u << 13,
    GHeading = 1u << 14,
    GCell = 1u << 15,
    GRow = 1u << 16,
    GSection = 1u << 17,
    GTable = 1u << 18,
    GOption = 1u << 19,
    GOptGroup = 1u << 20,
    GHead = 1u << 21,
    GBody = 1u << 22,
    ClosesPara = 1u << 23,
    ListScope = 1u << 24,
    ScopeBarrier = 1u << 25,
};
constexpr quint32 Block = Listed | Outer | Inner;
constexpr quint32 Unlisted = Outer | Inner;

struct Element {
    std::string_view name;
    quint32 flags;
};

// Names not here are inline and shown.
constexpr Element kElements[] = {
    {"address", Unlisted | ClosesPara},
    {"applet", ScopeBarrier},
    {"area", Void},
    {"article", Block | ClosesPara},
    {"aside", Block | ClosesPara},
    {"base", Listed | Hidden | Void},
    {"basefont", Void},
    {"bgsound", Void},
    {"blockquote", Block | ClosesPara},
    {"body", Block | GBody},
    {"br", Listed | Outer | Void},
    {"button", ScopeBarrier},
    {"caption", Block | ScopeBarrier},
    {"center", Unlisted | ClosesPara},
    {"col", Void},
    {"colgroup", Block},
    {"dd", Block | GDefinition | ClosesPara},
    {"details", Block | ClosesPara},
    {"dialog", Listed | Inner | ClosesPara},
    {"dir", Unlisted | ClosesPara | ListScope},
    {"div", Block | ClosesPara},
    {"dl", Block | ClosesPara | ListScope},
    {"dt", Block | GDefinition | ClosesPara},
    {"embed", Void},
    {"fieldset", Block | ClosesPara},
    {"figcaption", Block | ClosesPara},
    {"figure", Block | ClosesPara},
    {"footer", Block | ClosesPara},
    {"foreignobject", Integration | ScopeBarrier},
    {"form", Block | ClosesPara},
    {"frame", Void},
    {"h1", Block | GHeading | ClosesPara},
    {"h2", Block | GHeading | ClosesPara},
    {"h3", Block | GHeading | ClosesPara},
    {"h4", Block | GHeading | ClosesPara},
    {"h5", Block | GHeading | ClosesPara},
    {"h6", Block | GHeading | ClosesPara},
    {"head", Block | GHead},
    {"header", Block | ClosesPara},
    {"hgroup", Unlisted | ClosesPara},
    {"hr", Listed | Outer | Void | ClosesPara},
    {"html", Block | ScopeBarrier},
    {"iframe", Listed | Raw},
    {"image", Void},
    {"img", Void},
    {"input", Void},
    {"keygen", Void},
    {"li", Block | GListItem | ClosesPara},
    {"link", Listed | Hidden | Void},
    {"listing", Unlisted | Preserve | ClosesPara},
    {"main", Block | ClosesPara},
    {"marquee", ScopeBarrier},
    {"math", Listed | Foreign | ScopeBarrier},
    {"menu", Unlisted | ClosesPara | ListScope},
    {"meta", Listed | Hidden | Void},
    {"nav", Block | ClosesPara},
    {"noembed", Raw},
    {"noframes", Raw},
    {"noscript", Listed | Hidden | Raw},
    {"object", ScopeBarrier},
    {"ol", Block | ClosesPara | ListScope},
    {"optgroup", GOptGroup},
    {"option", GOption},
    {"p", Block | GPara | ClosesPara},
    {"param", Void},
    {"plaintext", Outer | Raw | ToEnd | ClosesPara},
    {"pre", Unlisted | Preserve | ClosesPara},
    {"script", Listed | Hidden | Raw | ScriptData},
    {"search", Unlisted | ClosesPara},
    {"section", Block | ClosesPara},
    {"source", Void},
    {"style", Listed | Hidden | Raw},
    {"summary", Block | ClosesPara},
    {"svg", Listed | Inner | Foreign | ScopeBarrier},
    {"table", Block | ClosesPara | GTable | ScopeBarrier},
    {"tbody", Block | GSection},
    {"td", Block | GCell | ScopeBarrier},
    {"template", Listed | Hidden | Preserve | ScopeBarrier},
    {"textarea", Raw},
    {"tfoot", Block | GSection},
    {"th", Block | GCell | ScopeBarrier},
    {"thead", Block | GSection},
    {"title", Listed | Hidden | Raw},
    {"tr", Block | GRow},
    {"track", Void},
    {"ul", Block | ClosesPara | ListScope},
    {"wbr", Void},
    {"xmp", Unlisted | Raw | ClosesPara},
};

// Deeper nesting is indented no further: lines stay readable and the text
// cannot grow without bound.
constexpr int kMaxIndent = 32;
// An end tag closes an element at most this far down the open ones; the
// search for an element a start tag closes goes as far.
constexpr qsizetype kLookBack = 64;
// Gaps waiting for the next shown item to tell whether they may break; past
// this many they are left as they are.
constexpr qsizetype kMaxPending = 4096;
constexpr qsizetype kPiece = qsizetype(1) << 20;

constexpr quint32 kFnvBasis = 2166136261u;
constexpr quint32 kFnvPrime = 16777619u;

// The elements by the hash of their names, open addressing.
struct Slot {
    quint32 hash = 0;
    quint32 flags = 0;
    std::string_view name;
};

const std::array<Slot, 256> &elementTable()
{
    static const std::array<Slot, 256> table = [] {
        std::array<Slot, 256> t{};
        for (const Element &e : kElements) {
            quint32 hash = kFnvBasis;
            for (const char c : e.name)
                hash = (hash ^ static_cast<unsigned char>(c)) * kFnvPrime;
            size_t i = hash % t.size();
            while (!t[i].name.empty())
                i = (i + 1) % t.size();
            t[i] = Slot{hash, e.flags, e.name};
        }
        return t;
    }();
    return table;
}

template <class C>
constexpr unsigned code(C c)
{
    return static_cast<std::make_unsigned_t<C>>(c);
}

// The ASCII characters a tag's syntax turns on, by class: one look-up
// stands for a chain of comparisons in the loops over names and values.
enum : unsigned char { Space = 1, Slash = 2, Greater = 4, Equals = 8 };
constexpr std::array<unsigned char, 128> kClasses = [] {
    std::array<unsigned char, 128> t{};
    for (const char c : {' ', '\n', '\t', '\r', '\f'})
        t[static_cast<size_t>(c)] = Space;
    t['/'] = Slash;
    t['>'] = Greater;
    t['='] = Equals;
    return t;
}();

template <class C>
constexpr bool isIn(C c, unsigned classes)
{
    const unsigned u = code(c);
    return u < kClasses.size() && (kClasses[u] & classes);
}

template <class C>
constexpr bool isSpace(C c)
{
    return isIn(c, Space);
}

template <class C>
constexpr bool isAlpha(C c)
{
    const unsigned u = code(c) | 0x20u;
    return u >= 'a' && u <= 'z';
}

template <class C>
constexpr unsigned lower(C c)
{
    const unsigned u = code(c);
    return u >= 'A' && u <= 'Z' ? u + 32 : u;
}

qsizetype findChar(const char *s, qsizetype from, qsizetype n, char c)
{
    if (from >= n)
        return -1;
    const void *hit = std::memchr(s + from, c, static_cast<size_t>(n - from));
    return hit ? static_cast<const char *>(hit) - s : -1;
}

qsizetype findChar(const char16_t *s, qsizetype from, qsizetype n, char c)
{
    if (from >= n)
        return -1;
    return QStringView(s, n).indexOf(QLatin1Char(c), from);
}

} // namespace

template <class Char>
class Formatter<Char>::Scan
{
public:
    Scan(std::basic_string_view<Char> text, bool pieces)
        : m_s(text.data()), m_n(static_cast<qsizetype>(text.size())), m_inPieces(pieces)
    {
        // Breaks are CR LF in a text that has one, else LF, else CR if it has
        // one: formatting the result again chooses the same.
        bool crlf = false, loneCr = false;
        for (qsizetype cr = findChar(m_s, 0, m_n, '\r'); cr >= 0 && !crlf; cr = findChar(m_s, cr + 1, m_n, '\r'))
            (cr + 1 < m_n && m_s[cr + 1] == '\n' ? crlf : loneCr) = true;
        const bool lf = !crlf && findChar(m_s, 0, m_n, '\n') >= 0;
        const std::string_view lineBreak = crlf ? "\r\n" : (lf || !loneCr) ? "\n" : "\r";
        m_breakLength = static_cast<qsizetype>(lineBreak.size());
        m_indent.assign(lineBreak.begin(), lineBreak.end());
        m_indent.append(2 * kMaxIndent, Char(' '));
        // Room for what formatting usually adds; past it the text grows in place.
        const qsizetype room = m_n + m_n / 2 + 256;
        startPiece(m_inPieces ? qMin(room, kPiece) : room);
    }

    bool step(qsizetype budget)
    {
        const qsizetype stop = m_pos + qMax<qsizetype>(budget, 1);
        while (!m_finished) {
            if (m_pos >= stop && m_pos < m_n)
                return false;
            const qsizetype gapBegin = m_pos;
            qsizetype b = gapBegin;
            while (b < m_n && isSpace(m_s[b]))
                ++b;
            const bool preserved = m_preserve > 0;
            const Token r = b >= m_n ? endEdge() : read(b);
            gap(gapBegin, b, r, preserved);
            m_pos = r.end;
            // Field by field: a copy as a whole reads, in wide loads, what was
            // just written in narrow stores, and waits for them.
            m_prev = Prev{r.kind, r.listed, r.anchor, r.pushed};
            if (r.kind == Kind::Edge) {
                append(m_flushed, m_n);
                m_finished = true;
            }
        }
        return true;
    }

    qsizetype done() const { return m_finished ? m_n : m_pos; }
    qsizetype size() const { return m_n; }
    std::vector<Text> takePieces()
    {
        m_out.resize(m_used);
        if (!m_inPieces)
            m_out.squeeze();
        if (!m_out.isEmpty() || m_pieces.empty())
            m_pieces.push_back(std::move(m_out));
        return std::move(m_pieces);
    }

private:
    enum class Kind { Edge, Text, Start, End, Unit, Comment };

    struct Token {
        Kind kind = Kind::Edge;
        qsizetype end = 0;
        int level = 0;            // of the gap before it
        bool listed = false;      // lines break around it
        bool anchor = true;       // a comment or doctype breaks between listed tags
        bool shown = true;        // counts for the line edges
        bool leftEdge = true;     // a line edge just before it
        bool rightEdge = true;    // and just after it
        bool emptyPair = false;   // the end tag right after its own start tag
        qsizetype pushed = -1;    // the open element it started
    };

    struct Open {
        quint32 hash;
        quint32 flags;
        bool foreignInside;
    };

    struct Gap {
        qsizetype begin;
        qsizetype end;
        int level;
        bool atEdge;
    };

    Token endEdge() const
    {
        Token t;
        t.end = m_n;
        return t;
    }

    Token textTo(qsizetype end) const
    {
        Token t;
        t.kind = Kind::Text;
        t.end = end;
        t.level = level();
        t.anchor = false;
        t.shown = m_hidden == 0;
        t.leftEdge = t.rightEdge = false;
        return t;
    }

    Token comment(qsizetype end) const
    {
        Token t;
        t.kind = Kind::Comment;
        t.end = end;
        t.level = level();
        t.shown = false;
        return t;
    }

    int level() const { return static_cast<int>(qMin<qsizetype>(m_stack.size(), kMaxIndent)); }

    bool startsWith(qsizetype i, std::string_view word, bool anyCase) const
    {
        if (i + static_cast<qsizetype>(word.size()) > m_n)
            return false;
        for (size_t k = 0; k < word.size(); ++k) {
            const unsigned c = anyCase ? lower(m_s[i + k]) : code(m_s[i + k]);
            if (c != static_cast<unsigned char>(word[k]))
                return false;
        }
        return true;
    }

    bool delimiter(qsizetype i) const { return i < m_n && isIn(m_s[i], Space | Slash | Greater); }

    bool isMarkup(qsizetype i) const
    {
        if (i + 1 >= m_n)
            return false;
        const Char c = m_s[i + 1];
        return isAlpha(c) || c == '!' || c == '?' || (c == '/' && i + 2 < m_n);
    }

    // Text runs to the next markup; its white space at the end is the next gap.
    Token text(qsizetype b) const
    {
        qsizetype from = b + 1;
        qsizetype m = m_n;
        for (;;) {
            const qsizetype lt = findChar(m_s, from, m_n, '<');
            if (lt < 0)
                break;
            if (isMarkup(lt)) {
                m = lt;
                break;
            }
            from = lt + 1;
        }
        while (m > b && isSpace(m_s[m - 1]))
            --m;
        return textTo(m);
    }

    // The end of "<...>" from i, or -1 at the end of the text.
    qsizetype pastGreater(qsizetype i) const
    {
        const qsizetype gt = findChar(m_s, i, m_n, '>');
        return gt < 0 ? -1 : gt + 1;
    }

    // What a tag's attributes say, as bits: kept in a register while the tag
    // is read, where fields written one by one and read as a whole would stall.
    enum : unsigned {
        SelfClosingTag = 1u << 0,
        HiddenAttribute = 1u << 1, // the hidden attribute
        DisplayStyle = 1u << 2,    // a style attribute that names display
        WhiteSpaceStyle = 1u << 3, // ... or white-space
    };

    struct TagEnd {
        qsizetype end = -1; // past '>', -1: the text ends inside the tag
        unsigned says = 0;
    };

    bool valueNames(qsizetype from, qsizetype to, std::string_view word) const
    {
        for (qsizetype i = from; i + static_cast<qsizetype>(word.size()) <= to; ++i) {
            if (startsWith(i, word, true))
                return true;
        }
        return false;
    }

    unsigned attribute(qsizetype name, qsizetype nameEnd, qsizetype value, qsizetype valueEnd) const
    {
        const qsizetype length = nameEnd - name;
        if (length == 6 && startsWith(name, "hidden", true))
            return HiddenAttribute;
        if (length == 5 && startsWith(name, "style", true) && value >= 0)
            return (valueNames(value, valueEnd, "display") ? DisplayStyle : 0u)
                   | (valueNames(value, valueEnd, "white-space") ? WhiteSpaceStyle : 0u);
        return 0;
    }

    // Attributes as browsers read them: a quoted value may hold '>' and '<'.
    TagEnd tagEnd(qsizetype i) const
    {
        enum State { BeforeName, Name, AfterName, BeforeValue, Unquoted, AfterQuoted, SelfClosing };
        unsigned says = 0;
        State state = BeforeName;
        qsizetype name = -1, nameStop = -1, value = -1;
        while (i < m_n) {
            const Char c = m_s[i];
            switch (state) {
            case BeforeName:
                if (c == '>')
                    return {i + 1, says};
                if (c == '/')
                    state = SelfClosing;
                else if (!isSpace(c))
                    name = i, state = Name;
                ++i;
                break;
            case Name:
                while (i < m_n && !isIn(m_s[i], Space | Slash | Greater | Equals))
                    ++i;
                nameStop = i;
                if (i < m_n && m_s[i] == '=') {
                    ++i;
                    state = BeforeValue;
                } else {
                    state = AfterName;
                }
                break;
            case AfterName:
                if (isSpace(c)) {
                    ++i;
                } else if (c == '=') {
                    ++i;
                    state = BeforeValue;
                } else {
                    says |= attribute(name, nameStop, -1, -1);
                    state = BeforeName;
                }
                break;
            case BeforeValue:
                if (c == '"' || c == '\'') {
                    const qsizetype close = findChar(m_s, i + 1, m_n, static_cast<char>(c));
                    if (close < 0)
                        return {};
                    says |= attribute(name, nameStop, i + 1, close);
                    i = close + 1;
                    state = AfterQuoted;
                } else if (c == '>') {
                    says |= attribute(name, nameStop, i, i);
                    state = BeforeName;
                } else if (isSpace(c)) {
                    ++i;
                } else {
                    value = i++;
                    state = Unquoted;
                }
                break;
            case Unquoted:
                while (i < m_n && !isIn(m_s[i], Space | Greater))
                    ++i;
                says |= attribute(name, nameStop, value, i);
                state = BeforeName;
                break;
            case AfterQuoted:
            case SelfClosing:
                if (c == '>')
                    return {i + 1, says | (state == SelfClosing ? SelfClosingTag : 0u)};
                if (state == AfterQuoted && c == '/') {
                    state = SelfClosing;
                    ++i;
                } else {
                    state = BeforeName;
                }
                break;
            }
        }
        return {};
    }

    qsizetype nameEnd(qsizetype i) const
    {
        while (i < m_n && !isIn(m_s[i], Space | Slash | Greater))
            ++i;
        return i;
    }

    // The end of a tag's name, and its FNV-1a in lower case on the way.
    qsizetype hashedName(qsizetype i, quint32 &hash) const
    {
        hash = kFnvBasis;
        for (; i < m_n && !isIn(m_s[i], Space | Slash | Greater); ++i)
            hash = (hash ^ lower(m_s[i])) * kFnvPrime;
        return i;
    }

    // The flags of the element so named and hashed.
    quint32 element(quint32 hash, qsizetype from, qsizetype to) const
    {
        const auto &table = elementTable();
        for (size_t i = hash % table.size(); !table[i].name.empty(); i = (i + 1) % table.size()) {
            const Slot &slot = table[i];
            if (slot.hash != hash || static_cast<qsizetype>(slot.name.size()) != to - from)
                continue;
            qsizetype k = 0;
            while (k < to - from && lower(m_s[from + k]) == static_cast<unsigned char>(slot.name[size_t(k)]))
                ++k;
            if (k == to - from)
                return slot.flags;
        }
        return 0;
    }

    void popTo(qsizetype k)
    {
        for (qsizetype i = m_stack.size() - 1; i >= k; --i) {
            const quint32 f = m_stack[static_cast<size_t>(i)].flags;
            m_preserve -= (f & Preserve) ? 1 : 0;
            m_hidden -= (f & Hidden) ? 1 : 0;
        }
        m_stack.resize(static_cast<size_t>(k));
    }

    // Closes the nearest open element of a kind unless a barrier comes first.
    void closeNearest(quint32 kind, quint32 barrier)
    {
        const qsizetype last = static_cast<qsizetype>(m_stack.size()) - 1;
        for (qsizetype k = last; k >= 0 && last - k < kLookBack; --k) {
            const quint32 f = m_stack[static_cast<size_t>(k)].flags;
            if (f & kind)
                return popTo(k);
            if (f & barrier)
                return;
        }
    }

    void closeTop(quint32 kind)
    {
        if (!m_stack.empty() && (m_stack.back().flags & kind))
            popTo(static_cast<qsizetype>(m_stack.size()) - 1);
    }

    // The end tags a start tag implies, as browsers read markup that leaves them out.
    void impliedEnds(quint32 f)
    {
        if (f & GListItem)
            closeNearest(GListItem, ListScope | ScopeBarrier);
        if (f & GDefinition)
            closeNearest(GDefinition, ListScope | ScopeBarrier);
        if (f & ClosesPara)
            closeNearest(GPara, ScopeBarrier);
        if (f & GHeading)
            closeTop(GHeading);
        if (f & GRow)
            closeNearest(GRow, GSection | GTable);
        if (f & GCell)
            closeNearest(GCell, GRow | GTable);
        if (f & GSection)
            closeNearest(GSection, GTable);
        if (f & (GOption | GOptGroup))
            closeTop(GOption);
        if (f & GOptGroup)
            closeTop(GOptGroup);
        if (f & GBody)
            closeNearest(GHead, 0);
    }

    bool foreignHere() const { return !m_stack.empty() && m_stack.back().foreignInside; }

    // Where the text of a raw element ends: the '<' of its end tag, or the end.
    qsizetype rawEnd(qsizetype from, qsizetype name, qsizetype nameLength, quint32 flags) const
    {
        if (flags & ToEnd)
            return m_n;
        const auto endTag = [&](qsizetype i) {
            if (i + 2 + nameLength > m_n || m_s[i + 1] != '/')
                return false;
            for (qsizetype k = 0; k < nameLength; ++k) {
                if (lower(m_s[i + 2 + k]) != lower(m_s[name + k]))
                    return false;
            }
            return delimiter(i + 2 + nameLength);
        };
        if (!(flags & ScriptData)) {
            for (qsizetype lt = findChar(m_s, from, m_n, '<'); lt >= 0; lt = findChar(m_s, lt + 1, m_n, '<')) {
                if (endTag(lt))
                    return lt;
            }
            return m_n;
        }
        // Script text: "<!--" starts a part where "<script" nests and only
        // the outer "</script" ends it.
        enum { Data, Escaped, DoubleEscaped } state = Data;
        qsizetype i = from;
        while (i < m_n) {
            if (state == Data) {
                i = findChar(m_s, i, m_n, '<');
                if (i < 0)
                    return m_n;
                if (endTag(i))
                    return i;
                if (startsWith(i, "<!--", false)) {
                    state = Escaped;
                    i += 2; // the dashes may also close it at once: "<!-->"
                } else {
                    ++i;
                }
                continue;
            }
            const Char c = m_s[i];
            if (c == '-' && i + 1 < m_n && m_s[i + 1] == '-') {
                qsizetype j = i + 2;
                while (j < m_n && m_s[j] == '-')
                    ++j;
                if (j < m_n && m_s[j] == '>')
                    state = Data, ++j;
                i = j;
            } else if (c == '<' && state == Escaped && endTag(i)) {
                return i;
            } else if (c == '<' && state == Escaped && startsWith(i + 1, "script", true) && delimiter(i + 7)) {
                state = DoubleEscaped;
                i += 7;
            } else if (c == '<' && state == DoubleEscaped && endTag(i)) {
                state = Escaped;
                i += 8;
            } else {
                ++i;
            }
        }
        return m_n;
    }

    // Reading a token and deciding its gap are inlined into the loop (here and
    // below): a call apiece, each passing a token through memory, took a sixth
    // of the time.
    Q_ALWAYS_INLINE Token read(qsizetype b)
    {
        if (m_s[b] != '<' || !isMarkup(b))
            return text(b);
        const Char next = m_s[b + 1];
        if (next == '!') {
            if (startsWith(b, "<!--", false))
                return comment(commentEnd(b));
            if (startsWith(b, "<![CDATA[", false)) {
                qsizetype i = b + 9;
                for (;; ++i) {
                    i = findChar(m_s, i, m_n, '>');
                    if (i < 0 || (i - 2 >= b + 9 && m_s[i - 1] == ']' && m_s[i - 2] == ']'))
                        break;
                }
                return textTo(i < 0 ? m_n : i + 1);
            }
            const qsizetype e = pastGreater(b);
            return comment(e < 0 ? m_n : e);
        }
        if (next == '?') {
            const qsizetype e = pastGreater(b);
            return comment(e < 0 ? m_n : e);
        }
        if (next == '/') {
            if (!isAlpha(m_s[b + 2])) {
                const qsizetype e = pastGreater(b);
                return comment(e < 0 ? m_n : e);
            }
            return endTag(b);
        }
        return startTag(b);
    }

    qsizetype commentEnd(qsizetype b) const
    {
        const qsizetype body = b + 4;
        // "<!-->" and "<!--->" end at once.
        if (body < m_n && m_s[body] == '>')
            return body + 1;
        if (body + 1 < m_n && m_s[body] == '-' && m_s[body + 1] == '>')
            return body + 2;
        for (qsizetype gt = findChar(m_s, body, m_n, '>'); gt >= 0; gt = findChar(m_s, gt + 1, m_n, '>')) {
            if (gt - 2 >= body && m_s[gt - 1] == '-' && m_s[gt - 2] == '-')
                return gt + 1;
            if (gt - 3 >= body && m_s[gt - 1] == '!' && m_s[gt - 2] == '-' && m_s[gt - 3] == '-')
                return gt + 1;
        }
        return m_n;
    }

    Q_ALWAYS_INLINE Token startTag(qsizetype b)
    {
        quint32 hash;
        const qsizetype nameStop = hashedName(b + 1, hash);
        const TagEnd tag = tagEnd(nameStop);
        if (tag.end < 0)
            return textTo(m_n); // the text ends inside the tag: left as it is
        quint32 flags = element(hash, b + 1, nameStop);
        if (tag.says & (HiddenAttribute | DisplayStyle))
            flags &= ~(Outer | Inner);
        if (tag.says & WhiteSpaceStyle)
            flags |= Preserve;
        const bool foreign = foreignHere();
        if (!foreign)
            impliedEnds(flags);
        Token t;
        t.kind = Kind::Start;
        t.level = level();
        t.listed = flags & Listed;
        t.anchor = t.listed;
        t.shown = !(flags & Hidden) && m_hidden == 0;
        t.leftEdge = flags & Outer;
        t.end = tag.end;
        if ((flags & Raw) && !foreign) {
            // Its text and end tag go with it, untouched.
            t.kind = Kind::Unit;
            t.rightEdge = t.leftEdge;
            const qsizetype close = rawEnd(tag.end, b + 1, nameStop - b - 1, flags);
            if (close < m_n) {
                const TagEnd endTag = tagEnd(nameEnd(close + 2));
                t.end = endTag.end < 0 ? m_n : endTag.end;
            } else {
                t.end = m_n;
            }
            return t;
        }
        if ((flags & Void) || ((tag.says & SelfClosingTag) && (foreign || (flags & Foreign)))) {
            t.rightEdge = t.leftEdge;
            return t;
        }
        t.rightEdge = flags & Inner;
        const bool foreignInside = foreign ? !(flags & Integration) : bool(flags & Foreign);
        m_stack.push_back(Open{hash, flags, foreignInside});
        m_preserve += (flags & Preserve) ? 1 : 0;
        m_hidden += (flags & Hidden) ? 1 : 0;
        t.pushed = static_cast<qsizetype>(m_stack.size()) - 1;
        return t;
    }

    Q_ALWAYS_INLINE Token endTag(qsizetype b)
    {
        quint32 hash;
        const qsizetype nameStop = hashedName(b + 2, hash);
        const TagEnd tag = tagEnd(nameStop);
        if (tag.end < 0)
            return textTo(m_n);
        Token t;
        t.kind = Kind::End;
        t.end = tag.end;
        const qsizetype last = static_cast<qsizetype>(m_stack.size()) - 1;
        for (qsizetype k = last; k >= 0 && last - k < kLookBack; --k) {
            const Open open = m_stack[static_cast<size_t>(k)];
            if (open.hash != hash)
                continue;
            t.emptyPair = k == last && m_prev.pushed == k;
            popTo(k);
            t.level = level();
            t.listed = open.flags & Listed;
            t.anchor = t.listed;
            t.shown = !(open.flags & Hidden) && m_hidden == 0;
            t.leftEdge = open.flags & Inner;
            t.rightEdge = open.flags & Outer;
            return t;
        }
        // An end tag with nothing open to close: taken as shown inline markup.
        t.level = level();
        t.shown = m_hidden == 0;
        t.listed = element(hash, b + 2, nameStop) & Listed;
        t.anchor = t.listed;
        t.leftEdge = t.rightEdge = false;
        return t;
    }

    // Output goes in pieces of at most kPiece, each written to its end
    // (nothing is copied as it grows, and a pane can free each once it has
    // taken it), or in one that grows in place. Copies are plain memcpy into
    // the room made: most are a few characters, a tag or an indent.
    void startPiece(qsizetype room)
    {
        m_out = Text();
        m_out.resize(room);
        m_base = reinterpret_cast<Char *>(m_out.data());
        m_used = 0;
    }

    void put(const Char *from, qsizetype n)
    {
        if (n > m_out.size() - m_used) [[unlikely]]
            return putBeyond(from, n);
        std::memcpy(m_base + m_used, from, static_cast<size_t>(n) * sizeof(Char));
        m_used += n;
    }

    // What does not fit: the text grows, or the piece is filled and the rest
    // goes in the next.
    Q_NEVER_INLINE void putBeyond(const Char *from, qsizetype n)
    {
        while (n > m_out.size() - m_used) {
            if (!m_inPieces) {
                m_out.resize(qMax(m_out.size() + m_out.size() / 2, m_used + n));
                m_base = reinterpret_cast<Char *>(m_out.data());
                break;
            }
            const qsizetype k = m_out.size() - m_used;
            std::memcpy(m_base + m_used, from, static_cast<size_t>(k) * sizeof(Char));
            from += k;
            n -= k;
            m_used += k;
            m_pieces.push_back(std::move(m_out));
            startPiece(qMin(kPiece, qMax(n, m_n - m_pos + m_n / 8 + 256)));
        }
        std::memcpy(m_base + m_used, from, static_cast<size_t>(n) * sizeof(Char));
        m_used += n;
    }

    void append(qsizetype from, qsizetype to)
    {
        if (to > from)
            put(m_s + from, to - from);
    }

    void replace(const Gap &g)
    {
        append(m_flushed, g.begin);
        m_flushed = g.end;
        if (g.atEdge)
            return;
        put(m_indent.data(), m_breakLength + 2 * g.level);
    }

    void decidePending(bool breaks)
    {
        if (breaks) {
            for (const Gap &g : m_pending)
                replace(g);
        }
        m_pending.clear();
    }

    // A gap breaks when it wants to and a line edge is on one side of it,
    // counting past what is never shown.
    Q_ALWAYS_INLINE void gap(qsizetype begin, qsizetype end, const Token &r, bool preserved)
    {
        const bool edge = m_prev.kind == Kind::Edge || r.kind == Kind::Edge;
        const bool wanted = !preserved && !r.emptyPair
                            && (m_prev.listed || r.listed
                                || (m_prev.anchor && r.anchor && !(m_prev.kind == Kind::Edge && r.kind == Kind::Edge)));
        const Gap g{begin, end, r.level, edge};
        if (r.shown) {
            const bool lineEdge = m_lastRightEdge || r.leftEdge;
            decidePending(lineEdge);
            if (wanted && lineEdge)
                replace(g);
            m_lastRightEdge = r.rightEdge;
        } else if (wanted) {
            if (m_lastRightEdge) {
                replace(g);
            } else if (m_pending.size() < static_cast<size_t>(kMaxPending)) {
                m_pending.push_back(g);
            } else {
                m_pending.clear();
            }
        }
    }

    const Char *m_s;
    qsizetype m_n;
    bool m_inPieces;
    qsizetype m_pos = 0;
    qsizetype m_flushed = 0;
    bool m_finished = false;
    std::basic_string<Char> m_indent; // a line break, then spaces for the deepest level
    qsizetype m_breakLength = 1;
    // What a gap needs of the item before it; the start of the text at first.
    struct Prev {
        Kind kind = Kind::Edge;
        bool listed = false;
        bool anchor = true;
        qsizetype pushed = -1;
    } m_prev;
    bool m_lastRightEdge = true;  // after the last shown item
    std::vector<Open> m_stack;
    qsizetype m_preserve = 0;     // open elements that keep their white space
    qsizetype m_hidden = 0;       // open elements never shown (a template's content)
    std::vector<Gap> m_pending;
    Text m_out; // sized to its room; m_used of it written
    Char *m_base = nullptr;
    qsizetype m_used = 0;
    std::vector<Text> m_pieces;
};

template <class Char>
Formatter<Char>::Formatter(std::basic_string_view<Char> text, bool pieces)
    : m_scan(std::make_unique<Scan>(text, pieces))
{
}

template <class Char>
Formatter<Char>::~Formatter() = default;

template <class Char>
bool Formatter<Char>::step(qsizetype budget)
{
    return m_scan->step(budget);
}

template <class Char>
qsizetype Formatter<Char>::done() const
{
    return m_scan->done();
}

template <class Char>
qsizetype Formatter<Char>::size() const
{
    return m_scan->size();
}

template <class Char>
std::vector<typename Formatter<Char>::Text> Formatter<Char>::takePieces()
{
    return m_scan->takePieces();
}

template <class Char>
typename Formatter<Char>::Text Formatter<Char>::take()
{
    std::vector<Text> pieces = takePieces();
    if (pieces.size() == 1)
        return std::move(pieces.front());
    qsizetype size = 0;
    for (const Text &piece : pieces)
        size += piece.size();
    Text all;
    all.reserve(size);
    for (Text &piece : pieces) {
        all.append(piece);
        piece = Text();
    }
    return all;
}

template class Formatter<char>;
template class Formatter<char16_t>;

QString format(QStringView text)
{
    Formatter<char16_t> f(std::u16string_view(text.utf16(), static_cast<size_t>(text.size())));
    f.step(text.size() + 1);
    return f.take();
}

QByteArray formatUtf8(QByteArrayView utf8)
{
    Formatter<char> f(std::string_view(utf8.data(), static_cast<size_t>(utf8.size())));
    f.step(utf8.size() + 1);
    return f.take();
}

qsizetype longestLine(QStringView text)
{
    qsizetype longest = 0;
    qsizetype start = 0;
    const qsizetype n = text.size();
    const char16_t *s = text.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c != u'\n' && c != u'\r')
            continue;
        longest = qMax(longest, i - start);
        if (c == u'\r' && i + 1 < n && s[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    return qMax(longest, n - start);
}

} // namespace markup
