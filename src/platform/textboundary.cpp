#include "platform/textboundary.h"

#include <QString>
#include <QTextBoundaryFinder>

namespace textboundary {

Span find(QStringView text, Side side, Kind kind, int offset)
{
    const int length = int(text.size());
    if (text.isEmpty() || offset < 0 || offset > length)
        return {};
    if ((side == Side::Before && offset == 0) || (side == Side::At && kind == Kind::Char && offset == length))
        return {};
    const QTextBoundaryFinder::BoundaryType type = kind == Kind::Char   ? QTextBoundaryFinder::Grapheme
                                                   : kind == Kind::Word ? QTextBoundaryFinder::Word
                                                                        : QTextBoundaryFinder::Sentence;
    QTextBoundaryFinder b(type, text.toString());
    const auto item = [&b] {
        return b.boundaryReasons() & (QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem);
    };
    // The next boundary that starts or ends an item, or the end of the text.
    const auto forward = [&] {
        for (;;) {
            const qsizetype next = b.toNextBoundary();
            if (item() || next < 0 || next >= length)
                return int(b.position());
        }
    };
    b.setPosition(offset);
    Span span;
    switch (side) {
    case Side::Before:
        do {
            if (item())
                break;
        } while (b.toPreviousBoundary() > 0);
        span.end = int(b.position());
        while (b.toPreviousBoundary() > 0 && !item()) {
        }
        span.start = int(b.position());
        break;
    case Side::At:
        do {
            if (item())
                break;
        } while (b.toPreviousBoundary() > 0);
        span.start = int(b.position());
        span.end = span.start == length ? length : forward();
        break;
    case Side::After:
        span.start = forward();
        span.end = span.start < 0 || span.start >= length ? -1 : forward();
        break;
    }
    if (span.start < 0 || span.end < 0 || span.start >= span.end)
        return {};
    return span;
}

} // namespace textboundary
