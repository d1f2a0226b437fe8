#include "browse/localfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>

namespace localfiles {

namespace {

// The real path of a local address: ".." taken as the engine takes it (on
// the address), then every link resolved. Empty when it names nothing.
QString realPath(const QUrl &url)
{
    if (!url.isLocalFile() || !url.host().isEmpty())
        return QString();
    return QFileInfo(QDir::cleanPath(url.toLocalFile())).canonicalFilePath();
}

bool isPage(const QString &path)
{
    static const QStringList pages = {QStringLiteral("htm"),  QStringLiteral("html"),  QStringLiteral("xhtml"),
                                      QStringLiteral("xht"),  QStringLiteral("shtml"), QStringLiteral("svg")};
    return pages.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive);
}

// The type the engine gives a local file: the one its name tells.
QMimeType typeOf(const QString &path)
{
    static const QMimeDatabase db;
    return db.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
}

bool isScript(const QString &path)
{
    // Saved pages name scripts every way (x.js.download, a bare name); a
    // name that says the file is data (text, JSON, CSS, XML, a picture) is
    // no script, and running it would hand its words to the page's error
    // handler.
    const QMimeType type = typeOf(path);
    if (type.isDefault())
        return true;
    return !type.inherits(QStringLiteral("application/json"))
           && (type.inherits(QStringLiteral("application/javascript")) || type.inherits(QStringLiteral("text/javascript")));
}

bool isStyle(const QString &path)
{
    const QMimeType type = typeOf(path);
    return type.inherits(QStringLiteral("text/css")) || type.inherits(QStringLiteral("application/xslt+xml"));
}

} // namespace

bool inPageFolder(const QUrl &page, const QUrl &file)
{
    const QString pagePath = page.isLocalFile() && page.host().isEmpty() ? page.toLocalFile() : QString();
    if (pagePath.isEmpty())
        return false;
    // The page's own name may be a link: its folder is the one it was opened
    // in, as its relative addresses are.
    const QString folder = QFileInfo(QFileInfo(QDir::cleanPath(pagePath)).absolutePath()).canonicalFilePath();
    const QString path = realPath(file);
    if (folder.isEmpty() || path.isEmpty())
        return false;
    return path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

bool mayLoad(const QUrl &page, const QUrl &file, Use use)
{
    if (use == Use::Read || !inPageFolder(page, file))
        return false;
    const QString path = realPath(file);
    switch (use) {
    case Use::Page: return isPage(path);
    case Use::Script: return isScript(path);
    case Use::Style: return isStyle(path);
    default: return true;
    }
}

bool namesFolder(const QUrl &url)
{
    return url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir();
}

QString commandLineAddress(const QString &argument, const QString &currentDir)
{
    if (argument.isEmpty() || QDir::isAbsolutePath(argument))
        return argument;
    const QFileInfo file(QDir(currentDir), argument);
    return file.isFile() ? QUrl::fromLocalFile(QDir::cleanPath(file.absoluteFilePath())).toString() : argument;
}

} // namespace localfiles
