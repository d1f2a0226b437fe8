#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// The temporary folders the browser engine writes into (one for each hidden
// browser, and in a headless run its home). Their names carry the process
// id, so that what a run could not remove (killed, crashed) is found and
// removed by a later one once that process is gone.
namespace profilefolders {

// The pattern for QTemporaryDir: "<folder>/markloom-browser-<pid>-XXXXXX".
QString folderTemplate(const QString &folder);

// Removes the folders of runs whose process is gone, owned by this user, in
// folder; returns the names removed. A folder of a running process stays.
QStringList sweep(const QString &folder);

// Removes every such folder of this process in folder.
void removeOwn(const QString &folder);

// Points HOME at a new temporary folder for the rest of the process, so the
// engine's certificate database (~/.pki/nssdb, made at the first secure
// connection) lands there and goes with it. The XDG folders are pinned to
// where they were, so fonts, settings and caches are found as before. For a
// run without windows: a dialog or a program started from here would see
// the temporary home too.
std::unique_ptr<QTemporaryDir> useTemporaryHome();

// From here on SIGINT and SIGTERM are held until removeOnTermination() takes
// them up: call it before the first folder is made.
void catchTermination();

// On SIGINT and SIGTERM this process's folders in the temporary folder are
// removed before the signal ends it as it would have. Needs the application
// object (the signal is taken up by its event loop).
void removeOnTermination();

} // namespace profilefolders
