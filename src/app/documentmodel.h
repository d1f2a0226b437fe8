#pragma once

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
// with the source it had when it was read.
struct PageDocument {
    DomDocument document;
    QString source;
    bool isTop = false;
};

namespace unsaved {

// Answers to 「変更を保存しますか？」.
enum class Answer { Save, Discard, Cancel };

// Whether an action that drops the pane's text (a navigation the user starts,
// closing the window) may go on: always without unsaved edits; with them
// after Discard, or after Save once the save succeeded.
bool mayProceed(bool modified, Answer answer, bool saveSucceeded);

} // namespace unsaved

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
    const DomDocument &document() const { return m_Document; }
    const DomElement &docElement() const { return m_DocElement; }
    const QString &caption() const { return m_caption; }

    // The user started a navigation (edits saved or given up): the caption
    // keeps the previous name, without the mark, until the page arrives.
    void navigationStarted();
    // The navigation ended without a document (failed, stopped, refused).
    void navigationEnded();
    // Whether a completed document may replace the pane: one the user asked
    // for always may; one the page brought by itself only while nothing
    // would be lost.
    bool acceptsDocument() const { return m_navigationPending || !m_bModfied; }
    // A document (a frame, or the top-level page when isTop) replaced the
    // pane: its name goes into the caption, and the pane holds no edits. It
    // joins the documents of its page (the first of a new page starts them
    // afresh).
    void documentShown(const DomDocument &document, bool isTop, const QString &source = QString());

    // Every document of the page shown, the top-level page first, then its
    // frames in the order they arrived; index of the one in the pane.
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

    DomDocument m_Document;
    DomElement m_DocElement;
    DomDocument m_OwnerDocument;
    QString m_DocName;
    bool m_bModfied = false;
    bool m_bHasFile = false;
    QString m_FilePath;
    QString m_FileTitle;
    bool m_navigationPending = false;
    QString m_caption;
    QList<PageDocument> m_page;
    int m_shown = -1;
    bool m_pageComplete = false; // the top-level document of m_page has arrived
};
