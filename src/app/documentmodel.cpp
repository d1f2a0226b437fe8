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

void DocumentModel::documentShown(const DomDocument &document, bool isTop)
{
    m_Document = document;
    m_DocElement = DomElement{m_Document};
    m_OwnerDocument = m_DocElement.Document;
    m_DocName = m_OwnerDocument.nameProp;
    if (isTop)
        m_navigationPending = false;
    // A page shows its name alone: no mark, no file name.
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
