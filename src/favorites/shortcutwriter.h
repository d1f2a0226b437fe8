#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Writes new internet-shortcut files into the favourites folder.
namespace favorites {

// A document name made usable as a file name here and on a Windows share:
// characters no file system takes become "_", line breaks and other control
// characters blanks; no leading or trailing blanks or dots; no device names;
// at most 200 bytes of UTF-8. May be empty.
QString safeFileName(const QString &name);

// The address as it is written into a shortcut so that reading the shortcut
// gives it back: "[" and "]" after the host are percent-encoded (the reader
// ends a value at "["), and an address the system encoding cannot hold is
// written in its percent-encoded form. Empty when no form reads back (a
// bracketed host literal).
std::optional<QString> storableAddress(const QString &address);

// The file: a "[DEFAULT]" section with BASEURL= and an "[InternetShortcut]"
// section with URL=, CR LF line ends, in the system encoding.
QByteArray shortcutContent(const QString &address);

// The file name a new shortcut called name gets in folder: "name.url", or if
// that is taken "name (2).url", "name (3).url", ... A trailing ".url" typed as
// part of the name is not doubled. Empty when name is empty after safeFileName.
QString freeShortcutName(const QString &folder, const QString &name);

struct AddedShortcut {
    QString path;  // the file written; empty on failure
    QString error; // why nothing was written (Japanese, for the user)
};

// Writes a new shortcut for address into folder (created when missing). An
// existing file is never replaced: the next free name is taken instead.
AddedShortcut addShortcut(const QString &folder, const QString &name, const QString &address);

} // namespace favorites
