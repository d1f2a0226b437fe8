// Favourites tree build against a plain read of the same files.
//
// Builds a folder of FOLDERS x FILES_PER_FOLDER shortcut files (10,000 in 200
// folders by default), then times, side by side and several rounds each:
//   plain  - open and read every file whole, the paths already known
//   scan   - the favourites scan (enumeration, order, nodes, addresses)
//   window - the favourites window's reload (scan plus the tree widget)
// and prints the best time of each and the ratios to the plain read.

#include "app/markloomform.h"
#include "favorites/favform.h"
#include "favorites/favoritesscan.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>

#include <unistd.h>

namespace {

qint64 bestOf(int rounds, const std::function<void()> &run)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        best = std::min(best, t.nsecsElapsed());
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    const int folders = argc > 1 ? QByteArray(argv[1]).toInt() : 200;
    const int perFolder = argc > 2 ? QByteArray(argv[2]).toInt() : 50;
    const int rounds = argc > 3 ? QByteArray(argv[3]).toInt() : 7;

    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/markloom-bench-XXXXXX"));
    const QString root = dir.path() + QStringLiteral("/Favorites");
    qputenv("MARKLOOM_FAVORITES", root.toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QT_LOGGING_RULES", "qt.webenginecontext=false;qt.qpa.*=false");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    QStringList paths;
    qint64 bytes = 0;
    for (int f = 0; f < folders; ++f) {
        // A few levels deep, as real favourites are.
        const QString folder = root + QStringLiteral("/Group %1/Topic %2").arg(f / 20).arg(f);
        QDir().mkpath(folder);
        for (int i = 0; i < perFolder; ++i) {
            const QByteArray url = QStringLiteral("https://site%1.example/path/%2/page.html?q=%3")
                                       .arg(f)
                                       .arg(i)
                                       .arg(f * perFolder + i)
                                       .toUtf8();
            const QByteArray content = "[DEFAULT]\r\nBASEURL=" + url + "\r\n[InternetShortcut]\r\nURL=" + url +
                                       "\r\nIconIndex=0\r\nHotKey=0\r\nIDList=\r\n";
            const QString path = folder + QStringLiteral("/Page %1.url").arg(i);
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return 1;
            }
            paths << path;
            bytes += content.size();
        }
    }

    qint64 sink = 0;
    const auto plain = [&] {
        for (const QString &path : paths) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                sink += file.readAll().size();
        }
    };
    const auto scan = [&] {
        const favorites::FavTreeData data = favorites::FavoritesScan::build(root);
        sink += data.items.size();
    };
    MarkloomForm form;
    form.action(QStringLiteral("ID_fvView"))->trigger();
    FavForm *fav = form.favForm();
    const auto window = [&] {
        fav->Toolbar1_ButtonClick(1);
        sink += fav->favCount();
    };
    if (fav->favCount() != paths.size()) {
        std::fprintf(stderr, "tree holds %d records, expected %lld\n", int(fav->favCount()), qlonglong(paths.size()));
        return 1;
    }

    // Warm the cache, then alternate so that drift hits all three alike.
    plain();
    scan();
    qint64 bestPlain = std::numeric_limits<qint64>::max();
    qint64 bestScan = bestPlain;
    qint64 bestWindow = bestPlain;
    for (int r = 0; r < rounds; ++r) {
        bestPlain = std::min(bestPlain, bestOf(1, plain));
        bestScan = std::min(bestScan, bestOf(1, scan));
        bestWindow = std::min(bestWindow, bestOf(1, window));
    }

    QTextStream out(stdout);
    out << "files: " << paths.size() << " in " << folders << " folders (" << bytes / 1024 << " KiB), best of " << rounds
        << " rounds\n";
    out << QStringLiteral("plain read:   %1 ms\n").arg(bestPlain / 1e6, 0, 'f', 1);
    out << QStringLiteral("scan:         %1 ms  ratio %2\n")
               .arg(bestScan / 1e6, 0, 'f', 1)
               .arg(double(bestScan) / bestPlain, 0, 'f', 2);
    out << QStringLiteral("window build: %1 ms  ratio %2\n")
               .arg(bestWindow / 1e6, 0, 'f', 1)
               .arg(double(bestWindow) / bestPlain, 0, 'f', 2);
    out << "(checksum " << sink << ")\n";
    return 0;
}
