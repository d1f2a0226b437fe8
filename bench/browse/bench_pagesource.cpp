// Completion-to-pane timings of the hidden browser and the source pane.
//
// For each page given on the command line: load it, then split the time from
// the document's load event to the text being in the pane into
//   engine    serialising innerHTML alone (measured again in the page),
//   transfer  our report: serialise, hand over, parse,
//   pane      setting the text in the source pane.
// With --startup, also the time from process start to the first page's
// source in the pane of a real main window.

#include "app/markloomform.h"
#include "platform/sourcepane.h"
#include "platform/webbrowser.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>

#include <cstdio>

namespace {

qint64 g_processStartMs = 0;

double runJs(QWebEnginePage *page, const QString &script)
{
    QEventLoop loop;
    double result = -1;
    page->runJavaScript(script, [&](const QVariant &v) {
        result = v.toDouble();
        loop.quit();
    });
    loop.exec();
    return result;
}

int measurePage(const QString &path)
{
    WebBrowser browser;
    SourcePane pane;
    QEventLoop loop;
    qint64 doneAtMs = 0;
    double paneMs = 0;
    qsizetype chars = 0;
    QObject::connect(&browser, &WebBrowser::documentComplete, &loop, [&](const CompletedDocument &doc) {
        if (!doc.isTop)
            return;
        QElapsedTimer t;
        t.start();
        pane.SetText(doc.innerHTML);
        paneMs = t.nsecsElapsed() / 1e6;
        doneAtMs = QDateTime::currentMSecsSinceEpoch();
        chars = doc.innerHTML.size();
        loop.quit();
    });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    browser.Navigate2(QUrl::fromLocalFile(path).toString());
    loop.exec();
    if (!doneAtMs) {
        std::fprintf(stderr, "bench: %s did not load\n", qPrintable(path));
        return 1;
    }
    const double loadEventAt = runJs(browser.page(), QStringLiteral("performance.timing.loadEventStart"));
    double engineMs = 1e9;
    for (int i = 0; i < 3; ++i) {
        engineMs = qMin(engineMs, runJs(browser.page(), QStringLiteral(
            "(function(){var t=performance.now();var h=document.documentElement.innerHTML;"
            "return performance.now()-t+(h.length*0);})()")));
    }
    const double totalMs = double(doneAtMs) - loadEventAt;
    const double transferMs = totalMs - engineMs - paneMs;
    std::printf("page %-28s chars %10lld  total %8.1f ms  engine %8.1f ms  transfer %8.1f ms  pane %8.1f ms"
                "  pane share %5.1f%%\n",
                qPrintable(QFileInfo(path).fileName()), static_cast<long long>(chars), totalMs, engineMs,
                transferMs, paneMs, 100.0 * paneMs / totalMs);
    return 0;
}

// Setting a file's text in the pane alone, best of five.
int measurePaneSet(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 1;
    const QString text = QString::fromUtf8(f.readAll());
    SourcePane pane;
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        pane.SetText(text);
        best = qMin(best, t.nsecsElapsed() / 1e6);
        pane.SetText(QString());
    }
    std::printf("pane set %-24s chars %10lld  %8.1f ms\n", qPrintable(QFileInfo(path).fileName()),
                static_cast<long long>(text.size()), best);
    return 0;
}

int measureStartup(const QString &path)
{
    MarkloomForm form(QUrl::fromLocalFile(path).toString());
    QEventLoop loop;
    qint64 doneAt = 0;
    QObject::connect(form.HTMLSorceText, &SourcePane::Change, &loop, [&] {
        if (!form.HTMLSorceText->Text().isEmpty()) {
            doneAt = QDateTime::currentMSecsSinceEpoch();
            loop.quit();
        }
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    form.Form_Load();
    form.show();
    loop.exec();
    if (!doneAt)
        return 1;
    std::printf("startup to first source in pane: %lld ms (%s)\n",
                static_cast<long long>(doneAt - g_processStartMs), qPrintable(QFileInfo(path).fileName()));
    form.close();
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    g_processStartMs = QDateTime::currentMSecsSinceEpoch();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.webenginecontext=false;js=false;default.info=false");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int rc = 0;
    if (!args.isEmpty() && args.first() == QLatin1String("--startup")) {
        args.removeFirst();
        if (args.isEmpty())
            return 2;
        return measureStartup(args.first());
    }
    if (!args.isEmpty() && args.first() == QLatin1String("--pane")) {
        for (const QString &path : args.mid(1))
            rc |= measurePaneSet(path);
        return rc;
    }
    for (const QString &path : args)
        rc |= measurePage(path);
    return rc;
}
