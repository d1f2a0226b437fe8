#pragma once

#include "edit/saverule.h"
#include "platform/unsavedanswer.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// What the program keeps of a completed document: its address and name.
struct DomDocument {
    QString URL;
    QString nameProp;
};

// A completed document's root element; Document is the document that owns it.
struct DomElement {
    DomDocument Document;
};

// One document of the page shown: the top-level page or one of its frames,
// with the source it had when it was read. framePath places a frame in the
// page: the index of each frame from the top down, "." between ("0.1" is the
// second frame of the first); empty for the page itself.
struct PageDocument {
    DomDocument document;
    QString source;
    bool isTop = false;
    QString framePath;
    // How deep a frame sits: 1 in the page, 2 in a frame of it, ...
    int depth() const { return framePath.isEmpty() ? 0 : int(framePath.count(QLatin1Char('.'))) + 1; }
};

// The document the main window shows, shared by every window: which page was
// loaded, whether the pane holds unsaved edits, where it was saved, and the
// caption all of that makes.
class DocumentModel : public QObject
{
    Q_OBJECT
public:
    explicit DocumentModel(QObject *parent = nullptr);

    const QString &docName() const { return m_DocName; }
    bool isModified() const { return m_bModfied; }
    bool hasFile() const { return m_bHasFile; }
    const QString &filePath() const { return m_FilePath; }
    const QString &fileTitle() const { return m_FileTitle; }
    // The file last written successfully (empty until then).
    const QString &lastSavedPath() const { return m_savedPath; }
    const DomDocument &document() const { return m_Document; }
    const DomElement &docElement() const { return m_DocElement; }
    const QString &caption() const { return m_caption; }

    // The user started a navigation (edits saved or given up): the caption
    // keeps the previous name, without the mark, until the page arrives; the
    // next document starts a new page.
    void navigationStarted();
    // The navigation ended without a document (failed, stopped, refused).
    void navigationEnded();
    // The pane was emptied for a load: it shows no document until one comes.
    void sourceCleared();
    // Whether a completed document may replace the pane: one the user asked
    // for always may; one the page brought by itself only while nothing
    // would be lost.
    bool acceptsDocument() const { return m_navigationPending || !m_bModfied; }
    // A document (a frame, or the top-level page when isTop) replaced the
    // pane: its name goes into the caption, and the pane holds no edits. It
    // joins the documents of its page, taking the place of an earlier report
    // of the same frame.
    void documentShown(const DomDocument &document, bool isTop, const QString &source = QString(),
                       const QString &framePath = QString());

    // Every document of the page shown: the page first, then its frames in
    // the order they sit in it (a frame's own frames right after it); index
    // of the one in the pane.
    const QList<PageDocument> &pageDocuments() const { return m_page; }
    int shownDocument() const { return m_shown; }
    // Puts another document of the page in the pane: its name goes into the
    // caption. Returns it, or nothing for an index out of range.
    std::optional<PageDocument> chooseDocument(int index);
    // The page read again: each document takes its new source (frames are
    // matched by address, in order). Returns the one in the pane when it was
    // read again, else nothing (a frame of another site cannot be).
    std::optional<PageDocument> documentsReadAgain(const QList<PageDocument> &documents);

    // The pane now differs from what was loaded or saved (false: it no
    // longer does, for instance after undoing back to it).
    void setModified(bool modified);
    // The source was written to path; title is the file name shown.
    void saved(const QString &path, const QString &title);
    // A save failed: the path chosen is kept, nothing else changes.
    void saveFailed(const QString &path);
    // Whether Save may write into the file without asking.
    saverule::Route saveRoute(bool paneEmpty) const;

    // Runs the unsaved-edits question for an action that drops the pane's
    // text; true when the action may go on. ask runs only while there are
    // unsaved edits, save only when the answer is Save.
    bool confirmDiscard(const std::function<unsaved::Answer()> &ask, const std::function<bool()> &save) const;

Q_SIGNALS:
    void captionChanged(const QString &caption);
    void modifiedChanged(bool modified);

private:
    void showName(const DomDocument &document, bool isTop);
    void setCaption(const QString &caption);
    void refreshCaption();
    // The pane shows the document written to the file (or read from it).
    bool showsFile() const;
    void newShownDocument(const QString &url);

    DomDocument m_Document;
    DomElement m_DocElement;
    DomDocument m_OwnerDocument;
    QString m_DocName;
    bool m_bModfied = false;
    bool m_bHasFile = false;
    QString m_FilePath;
    QString m_FileTitle;
    QString m_savedPath;
    bool m_navigationPending = false;
    bool m_everShown = false;
    QString m_caption;
    QList<PageDocument> m_page;
    int m_shown = -1;
    bool m_newPage = true; // the next document starts a new page
    saverule::Shown m_shownDoc;
    quint64 m_nextId = 0;
    quint64 m_savedId = 0;
};
