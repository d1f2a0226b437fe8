#pragma once

#include <QByteArray>
#include <QSet>
#include <Qsci/qscilexerhtml.h>

// HTML colouring that knows HTML5, SVG 2 and MathML core names, data-* and
// aria-* attributes, and the custom elements the text uses (any name with a
// hyphen, which no fixed list can hold): those are learnt from the text.
class MarkupLexer : public QsciLexerHTML
{
    Q_OBJECT
public:
    explicit MarkupLexer(QObject *parent = nullptr);

    const char *keywords(int set) const override;

    // Takes the custom element names of complete tags in text as known; the
    // editor colours the text again only when one is new.
    void learn(QByteArrayView text);

private:
    QByteArray m_names;
    QSet<QByteArray> m_custom;
};
