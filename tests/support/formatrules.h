#pragma once

// What formatting keeps on any text, for the tests and the fuzzer: only white
// space beside markup or at either end changes, formatting again changes
// nothing, and the result is the same in small steps, in pieces and from
// text as from UTF-8.

#include "edit/markupformatter.h"

#include <QByteArray>

namespace markloomtest {

inline bool isGapSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// Without the runs of white space at either end, after '>' and before '<'.
inline QByteArray withoutGapSpace(QByteArrayView s)
{
    QByteArray out;
    for (qsizetype i = 0; i < s.size();) {
        qsizetype j = i;
        while (j < s.size() && isGapSpace(s[j]))
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

// The first rule the formatter breaks on text, stepped step bytes at a time; null when none.
inline const char *formatFault(QByteArrayView text, qsizetype step = 7)
{
    const QByteArray once = markup::formatUtf8(text);
    if (withoutGapSpace(once) != withoutGapSpace(text))
        return "more than gap space changed";
    if (markup::formatUtf8(once) != once)
        return "formatting again changed it";
    markup::Formatter<char> stepped(std::string_view(text.data(), size_t(text.size())), true);
    for (qsizetype steps = 0; !stepped.step(step); ++steps) {
        if (steps > text.size() || stepped.done() > text.size())
            return "steps make no progress";
    }
    QByteArray joined;
    for (const QByteArray &piece : stepped.takePieces())
        joined += piece;
    if (joined != once)
        return "in steps it differs";
    if (text.isValidUtf8() && markup::format(QString::fromUtf8(text)).toUtf8() != once)
        return "from text it differs";
    return nullptr;
}

} // namespace markloomtest
