#pragma once

#include <QStringView>

// Characters, words and sentences as screen readers ask for them: the item
// before, at or after an offset, by the rules Qt's accessibility applies to
// any text, except that every question ends (Qt's own never returns for the
// sentence at the very end of a text).
namespace textboundary {

enum class Kind { Char, Word, Sentence };
enum class Side { Before, At, After };

// UTF-16 offsets into the text; both -1 when there is nothing there.
struct Span {
    int start = -1;
    int end = -1;
};

Span find(QStringView text, Side side, Kind kind, int offset);

} // namespace textboundary
