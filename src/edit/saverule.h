#pragma once

#include <QString>
#include <QStringList>

// Where Save writes, and where the save dialog opens. Save never writes into
// a file unasked for a document that was not read or saved from it.
namespace saverule {

// The document the pane shows: which one (0: nothing, the pane was emptied
// for a load that has not brought anything yet) and its address.
struct Shown {
    quint64 id = 0;
    QString url;
};

// The file this window saved to: its path (empty: none yet) and the
// document that was in the pane then.
struct Saved {
    QString path;
    quint64 documentId = 0;
};

enum class Route {
    Write, // into the saved file, without a dialog
    Ask,   // through the save dialog, as Save As
};

// Write only while the pane shows the document last saved to the file, or
// one loaded from that very file, and holds something; anything else asks.
Route route(const Shown &shown, const Saved &saved, bool paneEmpty);

// Whether an address is the local file at path.
bool isFile(const QString &url, const QString &path);

// The save dialog's filters, the HTML one first.
QStringList filters();

// The file the save dialog opens on: the kept path when there is one (Save
// that has to ask), else the document's name (never a path) in the folder of
// the last save, or in documents when there was none.
QString dialogStart(const QString &keptPath, const QString &lastSaveFolder, const QString &docName,
                    const QString &documents);

} // namespace saverule
