#include "platform/markuplexer.h"

#include "platform/markupnames.h"

#include <Qsci/qsciscintilla.h>

MarkupLexer::MarkupLexer(QObject *parent) : QsciLexerHTML(parent), m_names(markupnames::known()) {}

const char *MarkupLexer::keywords(int set) const
{
    return set == 1 ? m_names.constData() : QsciLexerHTML::keywords(set);
}

void MarkupLexer::learn(QByteArrayView text)
{
    bool added = false;
    markupnames::customElements(text, [&](const QByteArray &name) {
        if (m_custom.contains(name))
            return;
        m_custom.insert(name);
        m_names += ' ' + name;
        added = true;
    });
    if (added && editor())
        editor()->SendScintilla(QsciScintillaBase::SCI_SETKEYWORDS, 0UL, m_names.constData());
}
