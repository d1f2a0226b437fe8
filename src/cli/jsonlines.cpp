#include "cli/jsonlines.h"

namespace cli {

namespace {
constexpr qsizetype kPiece = qsizetype(1) << 20;
// UTF-16 units escaped at a time: each takes at most six bytes.
constexpr qsizetype kSlice = qsizetype(1) << 16;

char *hex4(char *out, char16_t u)
{
    static const char digits[] = "0123456789abcdef";
    *out++ = '\\';
    *out++ = 'u';
    for (int shift = 12; shift >= 0; shift -= 4)
        *out++ = digits[(u >> shift) & 0xf];
    return out;
}
} // namespace

JsonLineWriter::JsonLineWriter(Sink sink) : m_sink(std::move(sink))
{
    m_buffer.reserve(kPiece + 6 * kSlice + 64);
}

void JsonLineWriter::beginObject()
{
    m_buffer.append('{');
    m_first = true;
}

void JsonLineWriter::name(QLatin1String name)
{
    if (!m_first)
        m_buffer.append(',');
    m_first = false;
    // Names are ours: plain ASCII, nothing to escape.
    m_buffer.append('"').append(name.data(), name.size()).append("\":");
}

void JsonLineWriter::add(QLatin1String name, QStringView value)
{
    this->name(name);
    string(value);
}

void JsonLineWriter::add(QLatin1String name, bool value)
{
    this->name(name);
    m_buffer.append(value ? "true" : "false");
}

void JsonLineWriter::add(QLatin1String name, int value)
{
    this->name(name);
    m_buffer.append(QByteArray::number(value));
}

bool JsonLineWriter::endObject()
{
    m_buffer.append("}\n");
    if (m_ok)
        m_ok = m_sink(m_buffer);
    m_buffer.resize(0); // keeps its room
    const bool ok = m_ok;
    m_ok = true;
    return ok;
}

void JsonLineWriter::flushIfFull()
{
    if (m_buffer.size() < kPiece)
        return;
    if (m_ok)
        m_ok = m_sink(m_buffer);
    m_buffer.resize(0);
}

void JsonLineWriter::string(QStringView value)
{
    m_buffer.append('"');
    const char16_t *s = reinterpret_cast<const char16_t *>(value.utf16());
    const qsizetype n = value.size();
    for (qsizetype at = 0; at < n;) {
        const qsizetype end = qMin(n, at + kSlice);
        const qsizetype was = m_buffer.size();
        m_buffer.resize(was + 6 * (end - at) + 6);
        char *out = m_buffer.data() + was;
        for (; at < end; ++at) {
            const char16_t u = s[at];
            if (u < 0x80) {
                if (u >= 0x20 && u != '"' && u != '\\') {
                    *out++ = char(u);
                    continue;
                }
                *out++ = '\\';
                switch (u) {
                case '"': *out++ = '"'; break;
                case '\\': *out++ = '\\'; break;
                case '\b': *out++ = 'b'; break;
                case '\f': *out++ = 'f'; break;
                case '\n': *out++ = 'n'; break;
                case '\r': *out++ = 'r'; break;
                case '\t': *out++ = 't'; break;
                default: out = hex4(out - 1, u); break;
                }
            } else if (u < 0x800) {
                *out++ = char(0xc0 | (u >> 6));
                *out++ = char(0x80 | (u & 0x3f));
            } else if (QChar::isHighSurrogate(u) && at + 1 < n && QChar::isLowSurrogate(s[at + 1])) {
                // A pair may straddle the slice end: the buffer has room for it.
                const char32_t c = QChar::surrogateToUcs4(u, s[++at]);
                *out++ = char(0xf0 | (c >> 18));
                *out++ = char(0x80 | ((c >> 12) & 0x3f));
                *out++ = char(0x80 | ((c >> 6) & 0x3f));
                *out++ = char(0x80 | (c & 0x3f));
            } else if (QChar::isSurrogate(u) || u == 0x2028 || u == 0x2029) {
                out = hex4(out, u);
            } else {
                *out++ = char(0xe0 | (u >> 12));
                *out++ = char(0x80 | ((u >> 6) & 0x3f));
                *out++ = char(0x80 | (u & 0x3f));
            }
        }
        m_buffer.resize(out - m_buffer.constData());
        flushIfFull();
    }
    m_buffer.append('"');
}

} // namespace cli
