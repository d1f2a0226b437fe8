#include "platform/profilefolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace profilefolders {

namespace {

const QLatin1String kPrefix("markloom-browser-");

// The process a folder belongs to; 0 when its name tells none.
qint64 ownerProcess(const QString &name)
{
    const qsizetype dash = name.indexOf(QLatin1Char('-'), kPrefix.size());
    bool ok = false;
    const qint64 pid = dash > kPrefix.size() ? QStringView(name).sliced(kPrefix.size(), dash - kPrefix.size()).toLongLong(&ok) : 0;
    return ok && pid > 0 ? pid : 0;
}

bool isRunning(qint64 pid)
{
    return kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

QFileInfoList folders(const QString &folder)
{
    return QDir(folder).entryInfoList({kPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoSymLinks | QDir::Hidden);
}

// The signal, written by its handler, read by the event loop. (A handler
// may do next to nothing itself.)
int s_signalPipe[2] = {-1, -1};

void onSignal(int signal)
{
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = write(s_signalPipe[1], &byte, 1);
}

} // namespace

QString folderTemplate(const QString &folder)
{
    return QStringLiteral("%1/%2%3-XXXXXX").arg(folder, kPrefix).arg(QCoreApplication::applicationPid());
}

QStringList sweep(const QString &folder)
{
    QStringList removed;
    for (const QFileInfo &info : folders(folder)) {
        const qint64 pid = ownerProcess(info.fileName());
        if (pid != 0 && info.ownerId() == geteuid() && !isRunning(pid) && QDir(info.filePath()).removeRecursively())
            removed << info.fileName();
    }
    return removed;
}

void removeOwn(const QString &folder)
{
    for (const QFileInfo &info : folders(folder)) {
        if (ownerProcess(info.fileName()) == QCoreApplication::applicationPid())
            QDir(info.filePath()).removeRecursively();
    }
}

std::unique_ptr<QTemporaryDir> useTemporaryHome()
{
    auto home = std::make_unique<QTemporaryDir>(folderTemplate(QDir::tempPath()));
    if (!home->isValid())
        return nullptr;
    const QString real = QDir::homePath();
    const std::pair<const char *, const char *> pinned[] = {
        {"XDG_CONFIG_HOME", "/.config"}, {"XDG_DATA_HOME", "/.local/share"}, {"XDG_CACHE_HOME", "/.cache"}};
    for (const auto &[name, below] : pinned) {
        if (qEnvironmentVariableIsEmpty(name))
            qputenv(name, QFile::encodeName(real + QLatin1String(below)));
    }
    qputenv("HOME", QFile::encodeName(home->path()));
    return home;
}

void catchTermination()
{
    if (s_signalPipe[0] >= 0 || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, s_signalPipe) != 0)
        return;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void removeOnTermination()
{
    catchTermination();
    if (s_signalPipe[0] < 0)
        return;
    // A signal caught before this waits in the pair and is taken up at once.
    auto *notifier = new QSocketNotifier(s_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char signal = 0;
        if (read(s_signalPipe[0], &signal, 1) != 1)
            return;
        removeOwn(QDir::tempPath());
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    });
}

} // namespace profilefolders
