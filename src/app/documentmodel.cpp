#include "app/documentmodel.h"

#include "app/captionrule.h"

namespace {

// Frames in the order they sit in the page: by the index at each level, a
// frame before the frames inside it.
bool framesBefore(const QString &a, const QString &b)
{
    const QStringList x = a.split(QLatin1Char('.'));
    const QStringList y = b.split(QLatin1Char('.'));
    for (qsizetype i = 0; i < qMin(x.size(), y.size()); ++i) {
        if (x[i].toLongLong() != y[i].toLongLong())
            return x[i].toLongLong() < y[i].toLongLong();
    }
    return x.size() < y.size();
}

} // namespace

DocumentModel::DocumentModel(QObject *parent) : QObject(parent)
{
    m_caption = caption::compose(m_DocName, m_bModfied, false, m_FileTitle);
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
    // Until the first page has come, the caption says it is coming.
    const QString name = m_DocName.isEmpty() && m_navigationPending && !m_everShown ? caption::kLoadingName : m_DocName;
    setCaption(caption::compose(name, m_bModfied, showsFile(), m_FileTitle));
}

bool DocumentModel::showsFile() const
{
    return m_bHasFile && saverule::route(m_shownDoc, {m_FilePath, m_savedId}, false) == saverule::Route::Write;
}

void DocumentModel::newShownDocument(const QString &url)
{
    m_shownDoc = saverule::Shown{++m_nextId, url};
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
    m_newPage = true;
    setModified(false);
    refreshCaption();
}

void DocumentModel::navigationEnded()
{
    m_navigationPending = false;
    if (!m_everShown)
        refreshCaption(); // no longer loading the first page
}

void DocumentModel::sourceCleared()
{
    m_shownDoc = saverule::Shown{};
    refreshCaption();
}

void DocumentModel::documentShown(const DomDocument &document, bool isTop, const QString &source,
                                  const QString &framePath)
{
    if (m_newPage) {
        m_page.clear();
        m_newPage = false;
    }
    const PageDocument shown{document, source, isTop, isTop ? QString() : framePath};
    // The page comes first in the list, though it arrives after its frames;
    // a frame reported again takes its own place.
    qsizetype at = 0;
    if (isTop) {
        if (!m_page.isEmpty() && m_page.first().isTop)
            m_page.removeFirst();
        m_newPage = true;
    } else {
        at = m_page.size();
        for (qsizetype i = 0; i < m_page.size(); ++i) {
            const PageDocument &d = m_page.at(i);
            if (d.isTop)
                continue;
            if (d.framePath == shown.framePath) {
                m_page.removeAt(i);
                at = i;
                break;
            }
            if (framesBefore(shown.framePath, d.framePath)) {
                at = i;
                break;
            }
        }
    }
    m_page.insert(at, shown);
    m_shown = int(at);
    newShownDocument(document.URL);
    showName(document, isTop);
}

std::optional<PageDocument> DocumentModel::chooseDocument(int index)
{
    if (index < 0 || index >= m_page.size())
        return std::nullopt;
    m_shown = index;
    newShownDocument(m_page.at(index).document.URL);
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
                const QString framePath = m_page[i].framePath;
                m_page[i] = read;
                m_page[i].framePath = framePath;
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
    m_everShown = true;
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
    m_savedPath = path;
    m_bHasFile = true;
    m_savedId = m_shownDoc.id;
    setModified(false);
    refreshCaption();
}

void DocumentModel::saveFailed(const QString &path) { m_FilePath = path; }

saverule::Route DocumentModel::saveRoute(bool paneEmpty) const
{
    if (!m_bHasFile)
        return saverule::Route::Ask;
    return saverule::route(m_shownDoc, {m_FilePath, m_savedId}, paneEmpty);
}

bool DocumentModel::confirmDiscard(const std::function<unsaved::Answer()> &ask,
                                   const std::function<bool()> &save) const
{
    if (!m_bModfied)
        return true;
    switch (ask()) {
    case unsaved::Answer::Save: return save(); // only once the save succeeded
    case unsaved::Answer::Discard: return true;
    case unsaved::Answer::Cancel: return false;
    }
    return false;
}
