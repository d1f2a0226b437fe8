#include "app/documentmodel.h"

#include "app/captionrule.h"

namespace unsaved {

bool mayProceed(bool modified, Answer answer, bool saveSucceeded)
{
    if (!modified)
        return true;
    switch (answer) {
    case Answer::Save: return saveSucceeded;
    case Answer::Discard: return true;
    case Answer::Cancel: return false;
    }
    return false;
}

} // namespace unsaved

DocumentModel::DocumentModel(QObject *parent) : QObject(parent)
{
    m_caption = caption::compose(m_DocName, m_bModfied, m_bHasFile, m_FileTitle);
}

void DocumentModel::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    Q_EMIT captionChanged(m_caption);
}

void DocumentModel::refreshCaption()
{
    setCaption(caption::compose(m_DocName, m_bModfied, m_bHasFile, m_FileTitle));
}

void DocumentModel::setModified(bool modified)
{
    if (modified == m_bModfied)
        return;
    m_bModfied = modified;
    refreshCaption();
    Q_EMIT modifiedChanged(m_bModfied);
}

void DocumentModel::navigationStarted()
{
    m_navigationPending = true;
    setModified(false);
    refreshCaption();
}

void DocumentModel::navigationEnded() { m_navigationPending = false; }

void DocumentModel::documentShown(const DomDocument &document, bool isTop, const QString &source)
{
    if (m_pageComplete) {
        m_page.clear();
        m_pageComplete = false;
    }
    // The page comes first in the list, though it arrives after its frames.
    if (isTop) {
        m_page.prepend(PageDocument{document, source, true});
        m_shown = 0;
        m_pageComplete = true;
    } else {
        m_page.append(PageDocument{document, source, false});
        m_shown = int(m_page.size()) - 1;
    }
    showName(document, isTop);
}

std::optional<PageDocument> DocumentModel::chooseDocument(int index)
{
    if (index < 0 || index >= m_page.size())
        return std::nullopt;
    m_shown = index;
    showName(m_page.at(index).document, false);
    return m_page.at(index);
}

std::optional<PageDocument> DocumentModel::documentsReadAgain(const QList<PageDocument> &documents)
{
    QList<bool> taken(m_page.size(), false);
    for (const PageDocument &read : documents) {
        for (qsizetype i = 0; i < m_page.size(); ++i) {
            if (!taken[i] && m_page[i].isTop == read.isTop
                && (read.isTop || m_page[i].document.URL == read.document.URL)) {
                m_page[i] = read;
                taken[i] = true;
                break;
            }
        }
    }
    if (m_shown < 0 || m_shown >= m_page.size() || !taken[m_shown])
        return std::nullopt;
    showName(m_page.at(m_shown).document, false);
    return m_page.at(m_shown);
}

void DocumentModel::showName(const DomDocument &document, bool isTop)
{
    m_Document = document;
    m_DocElement = DomElement{m_Document};
    m_OwnerDocument = m_DocElement.Document;
    m_DocName = m_OwnerDocument.nameProp;
    if (isTop)
        m_navigationPending = false;
    // A document shows its name alone: no mark, no file name.
    setCaption(caption::pageLoaded(m_DocName));
    if (m_bModfied) {
        m_bModfied = false;
        Q_EMIT modifiedChanged(false);
    }
}

void DocumentModel::saved(const QString &path, const QString &title)
{
    m_FilePath = path;
    m_FileTitle = title;
    m_bHasFile = true;
    setModified(false);
    refreshCaption();
}

void DocumentModel::saveFailed(const QString &path) { m_FilePath = path; }

bool DocumentModel::confirmDiscard(const std::function<unsaved::Answer()> &ask,
                                   const std::function<bool()> &save) const
{
    if (!m_bModfied)
        return true;
    const unsaved::Answer answer = ask();
    const bool saveSucceeded = answer == unsaved::Answer::Save && save();
    return unsaved::mayProceed(true, answer, saveSucceeded);
}
