#include "platform/shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace {

// The desktop's opener says whether it found something to open the address
// with only by how it ends; the toolkit's own call counts starting it as
// success. Ours waits for that end from the event loop. Where there is no such
// opener, the toolkit's call is all there is.
void open(const QUrl &url, Shell::Done done)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty()) {
        // No parent: the program's end must not kill the opener, which may be
        // running the browser itself; it deletes itself once it has ended.
        auto *process = new QProcess;
        process->setProgram(opener);
        process->setArguments({url.toString(QUrl::FullyEncoded)});
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        QObject::connect(process, &QProcess::finished, process, [process, done](int code, QProcess::ExitStatus status) {
            process->deleteLater();
            done(status == QProcess::NormalExit && code == 0);
        });
        QObject::connect(process, &QProcess::errorOccurred, process, [process, done](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return;
            process->deleteLater();
            done(false);
        });
        process->start();
        return;
    }
#endif
    done(QDesktopServices::openUrl(url));
}

} // namespace

void DesktopShell::openUrl(const QUrl &url, Done done)
{
    if (!url.isValid() || url.isEmpty())
        return done(false);
    open(url, std::move(done));
}

void DesktopShell::openFolder(const QString &path, Done done)
{
    open(QUrl::fromLocalFile(path), std::move(done));
}

bool DesktopShell::startDetached(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}
