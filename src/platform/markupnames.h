#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

// The names the source pane's colouring knows as markup.
namespace markupnames {

// Element and attribute names of HTML (current and obsolete), SVG 2 and
// MathML core, lower case, blank-separated; "^data-" and "^aria-" stand for
// every name that starts so.
QByteArray known();

// Calls found for the name of every complete start or end tag in text
// ("<name" then a blank, '/' or '>') that is a custom element's: a letter
// first and a hyphen in it. The name is as the colouring reads it, in lower
// case.
void customElements(QByteArrayView text, const std::function<void(const QByteArray &)> &found);

} // namespace markupnames
