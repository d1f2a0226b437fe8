#include "edit/saverule.h"

#include <QDir>
#include <QUrl>

namespace saverule {

Route route(const Shown &shown, const Saved &saved, bool paneEmpty)
{
    if (saved.path.isEmpty() || paneEmpty)
        return Route::Ask;
    if (shown.id != 0 && shown.id == saved.documentId)
        return Route::Write;
    return isFile(shown.url, saved.path) ? Route::Write : Route::Ask;
}

bool isFile(const QString &url, const QString &path)
{
    const QUrl u(url);
    if (!u.isLocalFile() || path.isEmpty())
        return false;
    return QDir::cleanPath(u.toLocalFile()) == QDir::cleanPath(path);
}

QStringList filters()
{
    return {QStringLiteral("HTMLファイル (*.html *.htm)"), QStringLiteral("テキストファイル (*.txt)")};
}

QString dialogStart(const QString &keptPath, const QString &lastSaveFolder, const QString &docName,
                    const QString &documents)
{
    if (!keptPath.isEmpty())
        return keptPath;
    QString name = docName;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString folder = lastSaveFolder.isEmpty() ? documents : lastSaveFolder;
    return folder + QLatin1Char('/') + name;
}

} // namespace saverule
