// What one page costs, in one fresh process per measurement:
//   window FILE   the real main window (shown, offscreen): load to source in pane
//   dump FILE     the headless --dump path, output to /dev/null
//   pane FILE     the hidden browser alone handing its source to a source pane
// Prints milliseconds from the navigation to the end, the main process's peak
// RSS (VmHWM) and the peak resident memory of the whole process tree (main
// and engine processes, proportional set size, sampled every 100 ms).

#include "app/markloomform.h"
#include "cli/headless.h"
#include "platform/prompts.h"
#include "platform/sourcepane.h"
#include "platform/webbrowser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A "Key:   123 kB" line of a /proc status-like file, in MiB.
double procKb(const QString &path, const QByteArray &key)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// Proportional set size of this process and all its descendants.
double treePssMiB()
{
    QHash<qint64, qint64> parentOf;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray s = stat.readAll();
        const QList<QByteArray> rest = s.mid(s.lastIndexOf(')') + 2).split(' ');
        if (rest.size() > 1)
            parentOf.insert(pid.toLongLong(), rest.at(1).toLongLong());
    }
    const qint64 self = getpid();
    double total = 0;
    for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it) {
        qint64 p = it.key();
        while (p > 1 && p != self)
            p = parentOf.value(p, 0);
        if (p == self)
            total += procKb(QStringLiteral("/proc/%1/smaps_rollup").arg(it.key()), "Pss:");
    }
    return total;
}

// Samples the tree while the page loads.
struct TreeSampler {
    double peak = 0;
    QTimer timer;
    TreeSampler()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { peak = qMax(peak, treePssMiB()); });
        timer.start(100);
    }
};
TreeSampler *g_sampler = nullptr;

void report(const char *mode, const QString &path, qsizetype chars, qint64 ms)
{
    std::printf("%-6s %-18s chars %10s  time %7lld ms  main peak %7.0f MiB  tree %7.0f MiB\n", mode,
                qPrintable(QFileInfo(path).fileName()), chars < 0 ? "-" : qPrintable(QString::number(chars)),
                static_cast<long long>(ms),
                procKb(QStringLiteral("/proc/self/status"), "VmHWM:"), qMax(g_sampler->peak, treePssMiB()));
    std::fflush(stdout);
}

// A message the window would show ends the measurement instead.
class EndingPrompts : public Prompts
{
public:
    explicit EndingPrompts(QEventLoop *loop) : m_loop(loop) {}
    void message(QWidget *, const QString &text) override
    {
        std::fprintf(stderr, "bench: the window says: %s\n", qPrintable(text));
        m_loop->quit();
    }
    std::optional<SaveChoice> saveFile(QWidget *, const QStringList &, const QString &) override { return {}; }
    std::optional<QColor> chooseColor(QWidget *, const QColor &) override { return {}; }
    unsaved::Answer askSaveChanges(QWidget *) override { return unsaved::Answer::Cancel; }

private:
    QEventLoop *m_loop;
};

int runWindow(const QString &path)
{
    MarkloomForm form(QUrl::fromLocalFile(path).toString());
    QEventLoop loop;
    form.services().setPrompts(std::make_unique<EndingPrompts>(&loop));
    qsizetype chars = 0;
    QObject::connect(form.HTMLSorceText, &SourcePane::Change, &loop, [&] {
        chars = form.HTMLSorceText->Text().size();
        if (chars > 0)
            loop.quit();
    });
    QTimer::singleShot(180000, &loop, &QEventLoop::quit);
    form.show();
    QElapsedTimer t;
    t.start();
    form.Form_Load();
    loop.exec();
    const qint64 ms = t.elapsed();
    if (chars == 0) {
        std::fprintf(stderr, "bench: %s did not reach the pane\n", qPrintable(path));
        return 1;
    }
    report("window", path, chars, ms);
    return 0;
}

int runPane(const QString &path)
{
    WebBrowser browser;
    SourcePane pane;
    QEventLoop loop;
    qsizetype chars = 0;
    QObject::connect(&browser, &WebBrowser::documentComplete, &loop, [&](const CompletedDocument &doc) {
        if (!doc.isTop)
            return;
        pane.SetText(doc.innerHTML);
        chars = doc.innerHTML.size();
        loop.quit();
    });
    QObject::connect(&browser, &WebBrowser::loadEndedWithoutDocument, &loop, &QEventLoop::quit);
    QTimer::singleShot(180000, &loop, &QEventLoop::quit);
    QElapsedTimer t;
    t.start();
    browser.Navigate2(QUrl::fromLocalFile(path).toString());
    loop.exec();
    const qint64 ms = t.elapsed();
    if (chars == 0)
        return 1;
    report("pane", path, chars, ms);
    return 0;
}

int runDump(const QString &path)
{
    // The output goes where --dump would write it, but to nowhere.
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    close(null);
    cli::Options options;
    options.mode = cli::Mode::Dump;
    options.address = QUrl::fromLocalFile(path).toString();
    options.timeoutSeconds = 180;
    QElapsedTimer t;
    t.start();
    const int rc = cli::runHeadless(options);
    const qint64 ms = t.elapsed();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    if (rc != 0)
        return rc;
    report("dump", path, -1, ms);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.webenginecontext=false;js=false;default.info=false");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: bench_loadcost window|dump|pane FILE\n");
        return 2;
    }
    const QString path = QFileInfo(args.at(1)).absoluteFilePath();
    TreeSampler sampler;
    g_sampler = &sampler;
    if (args.first() == QLatin1String("window"))
        return runWindow(path);
    if (args.first() == QLatin1String("dump"))
        return runDump(path);
    if (args.first() == QLatin1String("pane"))
        return runPane(path);
    return 2;
}
