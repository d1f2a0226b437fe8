#include "platform/shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QProcessEnvironment>

bool DesktopShell::openUrl(const QUrl &url)
{
    if (!url.isValid() || url.isEmpty())
        return false;
    return QDesktopServices::openUrl(url);
}

bool DesktopShell::openFolder(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopShell::startDetached(const QString &program, const QStringList &arguments, bool minimized)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (minimized)
        env.insert(QString::fromLatin1(kStartMinimizedEnv), QStringLiteral("1"));
    process.setProcessEnvironment(env);
    return process.startDetached();
}
