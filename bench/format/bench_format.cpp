// Formatting a 10 MB one-line page against one plain scan of it, from text
// (the command line) and from UTF-8 (the source pane); then a larger page
// formatted in a source pane as 整形 does it: peak memory against the text's
// size and the longest the event loop waited. Run through bench/format/run.sh.
//
// Usage: bench_format [--size MB (10)] [--pane MB (50; 0: none)]

#include "edit/markupformatter.h"
#include "edit/paneformatter.h"
#include "minifiedpage.h"
#include "platform/largeblocks.h"
#include "platform/sourcepane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kRounds = 5;

double bestMs(const std::function<qsizetype()> &work, qsizetype *result)
{
    double best = 1e300;
    for (int i = 0; i < kRounds; ++i) {
        QElapsedTimer t;
        t.start();
        *result = work();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

// kB of the process's resident memory: now, and the peak since last reset.
qint64 statusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

} // namespace

int main(int argc, char *argv[])
{
    returnLargeBlocksAtOnce(); // as the program does
    QApplication app(argc, argv);
    int sizeMb = 10;
    int paneMb = 50;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--size"))
            sizeMb = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--pane"))
            paneMb = args[i + 1].toInt();
    }

    const QString page = minifiedPage(qsizetype(sizeMb) << 20);
    const QByteArray utf8 = page.toUtf8();
    qsizetype n = 0;
    const double scan = bestMs(
        [&] {
            // One look at every character, as a tokenizer must at least take.
            qsizetype tags = 0;
            for (const QChar c : page)
                tags += c == u'<';
            return tags;
        },
        &n);
    const double text = bestMs([&] { return markup::format(page).size(); }, &n);
    const double bytes = bestMs([&] { return markup::formatUtf8(utf8).size(); }, &n);
    std::printf("one-line page: %lld characters, %lld bytes of UTF-8, formatted %lld bytes; best of %d\n",
                qlonglong(page.size()), qlonglong(utf8.size()), qlonglong(n), kRounds);
    std::printf("%-28s %9.1f ms\n", "one scan (count '<')", scan);
    std::printf("%-28s %9.1f ms  %5.2fx\n", "format, text", text, text / scan);
    std::printf("%-28s %9.1f ms  %5.2fx\n", "format, UTF-8", bytes, bytes / scan);
    if (paneMb <= 0)
        return 0;

    for (const PaneFormatter::Mode mode : {PaneFormatter::Mode::Edit, PaneFormatter::Mode::Load}) {
        // The page in a pane with colouring on, as the window holds it; only
        // the pane keeps the text.
        SourcePane pane;
        pane.SetSyntaxColour(true);
        pane.resize(1000, 700);
        pane.show();
        std::vector<QByteArray> big{minifiedPage(qsizetype(paneMb) << 20).toUtf8()};
        pane.SetUtf8(std::move(big));
        const qint64 textKb = pane.Utf8Text().size() / 1024;
        const qint64 before = statusKb("VmRSS:");
        resetPeak();
        PaneFormatter formatter(&pane);
        QElapsedTimer total;
        QElapsedTimer sinceTick;
        qint64 longestWait = 0;
        int ticks = 0;
        QTimer tick;
        tick.setInterval(0);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longestWait = std::max(longestWait, sinceTick.restart());
            ++ticks;
        });
        QObject::connect(&formatter, &PaneFormatter::finished, &app, [&] {
            longestWait = std::max(longestWait, sinceTick.elapsed());
            tick.stop();
            app.quit();
        });
        QTimer::singleShot(0, &app, [&] {
            total.start();
            sinceTick.start();
            tick.start();
            formatter.start(mode);
        });
        app.exec();
        const double ms = total.nsecsElapsed() / 1e6;
        const qint64 peak = statusKb("VmHWM:");
        std::printf("\n%d MB one-line page in a pane (%lld kB of text), %s:\n", paneMb, qlonglong(textKb),
                    mode == PaneFormatter::Mode::Edit ? "整形, one undo step" : "formatted on load, no undo");
        std::printf("  formatted in %.0f ms, %d event loop turns meanwhile, the longest wait %lld ms\n", ms, ticks,
                    qlonglong(longestWait));
        std::printf("  resident before %lld kB, peak %lld kB: %lld kB above (%.2fx the text)\n", qlonglong(before),
                    qlonglong(peak), qlonglong(peak - before), double(peak - before) / textKb);
    }
    return 0;
}
