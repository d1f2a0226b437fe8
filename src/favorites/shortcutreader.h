#pragma once

#include <QString>

class QFileInfo;

// Reads the web address kept in an internet-shortcut file: the value of the
// first key of the "[Default]" section, cut by plain text searches, or when
// that gives none the "URL=" line of the "[InternetShortcut]" section.
namespace favorites {

// Longest value taken as an address (the longest address a browser loads).
// A longer value is not an address, and holding it whole could exhaust memory.
inline constexpr qsizetype kMaxAddressLength = 2 * 1024 * 1024;

// The address in a shortcut's text: after the first "[Default]" (any case),
// from the character after the first "=" up to the next "[" or the end of the
// text. Nothing is trimmed. Empty when there is no marker, no "=" before the
// section ends, or a value longer than kMaxAddressLength.
QString defaultSectionValue(QStringView text);

// The address a shortcut's text gives: defaultSectionValue() unless that is
// empty or blank, else the value of the first "URL=" line (key in any case) in
// an "[InternetShortcut]" section, up to its line break.
QString shortcutAddress(QStringView text);

// The address in the file at absolutePath, as shortcutAddress() reads it. A name whose extension is exactly
// "lnk" is not opened. Anything that cannot be read as a regular file (missing,
// unreadable, a folder, a pipe) gives the empty string: one bad file must not
// stop a whole favourites tree.
QString readShortcutUrl(const QString &absolutePath);
// The same for a directory entry whose type is already known.
QString readShortcutUrl(const QFileInfo &file);

// The address of the shortcut at relativePath ("\" between the names) below
// the favourites folder favoritesPath.
QString GetUrldata(const QString &favoritesPath, const QString &relativePath);

} // namespace favorites
