// The formatter on any bytes: only white space beside markup or at either
// end changes, formatting again changes nothing, and the result is the same
// in small steps and pieces and from text as from UTF-8.

#include "edit/markupformatter.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// Without the runs of white space at either end, after '>' and before '<'.
QByteArray withoutGapSpace(QByteArrayView s)
{
    QByteArray out;
    for (qsizetype i = 0; i < s.size();) {
        qsizetype j = i;
        while (j < s.size() && isSpace(s[j]))
            ++j;
        if (j == i) {
            out += s[i++];
            continue;
        }
        if (!(i == 0 || j == s.size() || s[i - 1] == '>' || s[j] == '<'))
            out += s.sliced(i, j - i);
        i = j;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char *>(bytes), qsizetype(size));
    const QByteArray once = markup::formatUtf8(text);
    if (withoutGapSpace(once) != withoutGapSpace(text) || markup::formatUtf8(once) != once)
        std::abort();
    markup::Formatter<char> stepped(std::string_view(text.data(), size), true);
    while (!stepped.step(7)) {
    }
    QByteArray joined;
    for (const QByteArray &piece : stepped.takePieces())
        joined += piece;
    if (joined != once || (text.isValidUtf8() && markup::format(QString::fromUtf8(text)).toUtf8() != once))
        std::abort();
    return 0;
}
