#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

// Re-indenting markup without changing what the page shows.
//
// Only ASCII white space changes, and only in a gap between two pieces of
// markup or text where at least one side is a line edge of the rendered page:
// next to a tag of a block (div, p, li, td and the like, br and hr), inside
// head, at the start or end of the text. White space there is dropped by any
// browser: it starts or ends a line. Elements that are never shown (script,
// style, template, comments) count as nothing in between, so `<div><script>`
// and `<script>text` break like `<div>text`. Text next to inline markup
// (`a <b>b</b>`, `x<iframe>`, `<svg>` in a line) keeps its white space, and so
// does everything inside pre, textarea, script, style, listing, xmp,
// plaintext, attribute values, comments, and any element whose style
// attribute names white-space. Where a gap qualifies and one side is a tag of
// html, head, body, div, p, section, ... (the list in the source), a comment
// or a doctype between them, its white space becomes a line break and two
// spaces a level of nesting. The rule follows the browser's own styles: a
// page whose style sheet turns a block inline (`li { display: inline }`) can
// show a space where two items touched; an element with hidden or a style
// attribute that names display is therefore taken as inline.
namespace markup {

template <class Char>
class Formatter
{
public:
    using Text = std::conditional_t<std::is_same_v<Char, char>, QByteArray, QString>;

    // The text must stay as it is until the last step. In pieces: the output
    // is made a megabyte at a time, for takePieces(); else in one for take().
    explicit Formatter(std::basic_string_view<Char> text, bool pieces = false);
    ~Formatter();
    Formatter(const Formatter &) = delete;
    Formatter &operator=(const Formatter &) = delete;

    // Goes on for about budget more characters; true once the whole text is
    // formatted.
    bool step(qsizetype budget);
    // Characters of the input formatted so far, of size().
    qsizetype done() const;
    qsizetype size() const;
    // The formatted text, once step() has returned true: whole, or in the
    // pieces it was made in.
    Text take();
    std::vector<Text> takePieces();

private:
    class Scan;
    std::unique_ptr<Scan> m_scan;
};

extern template class Formatter<char>;
extern template class Formatter<char16_t>;

QString format(QStringView text);
QByteArray formatUtf8(QByteArrayView utf8);

// The length of the longest line, in UTF-16 units; lines end at LF, CR or CR LF.
qsizetype longestLine(QStringView text);

} // namespace markup
