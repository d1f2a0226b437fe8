#pragma once

#include <QString>
#include <QUrl>

// What a local page may load from the disk. A page opened from a file is
// confined to its own folder: every file it asks for (a script, a style, an
// image, a frame, its own next page) must lie in that folder or below once
// symbolic links and ".." are resolved, so a link beside the page cannot
// reach past it. Within the folder, files are loaded only for what shows
// the page; nothing is handed to the page's scripts to read.
namespace localfiles {

// What the page wants a file for.
enum class Use {
    Page,   // its next document, a frame or an embedded object
    Script, // a script of any kind (classic, module, a worker's import)
    Style,  // a style sheet or an XSLT transform
    Image,
    Font,
    Media,
    Read,   // its scripts would get the contents (fetch, XMLHttpRequest,
            // a worker, XSLT's document(), a prefetch...)
};

// Whether file lies in the folder of the local page page, or below it,
// judged on the real paths of both (symbolic links and ".." resolved). A
// page that is not a local file has no folder: false.
bool inPageFolder(const QUrl &page, const QUrl &file);

// Whether the local page page may load file for use: in its folder, and of
// a kind that serves the use (frames show pages: HTML, XHTML or SVG; a
// script is JavaScript or of a type the name does not tell; a style sheet
// is CSS or XSLT). Read is always refused.
bool mayLoad(const QUrl &page, const QUrl &file, Use use);

// Whether the address names a local folder (not a page).
bool namesFolder(const QUrl &url);

// A command-line argument as the address to open: a relative path that
// names an existing file, from currentDir, becomes that file's address;
// anything else stays as it is (an address as typed).
QString commandLineAddress(const QString &argument, const QString &currentDir);

} // namespace localfiles
