#include "cli/headless.h"

#include "cli/output.h"
#include "platform/webbrowser.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

namespace cli {

namespace {

bool fromStdin(const Options &options)
{
    return (options.mode == Mode::Scripts || options.mode == Mode::Data) && options.address == QLatin1String("-");
}

QString readStdin()
{
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(in.readAll());
}

} // namespace

bool needsBrowser(const Options &options)
{
    return options.mode == Mode::Window || options.mode == Mode::Dump
           || ((options.mode == Mode::Scripts || options.mode == Mode::Data) && !fromStdin(options));
}

std::optional<QString> loadSource(const QString &address, int timeoutSeconds, QString *error)
{
    WebBrowser browser;
    QEventLoop loop;
    std::optional<QString> result;
    QString message;
    const QString shown = addressForMessage(address);

    QObject::connect(&browser, &WebBrowser::documentComplete, &loop, [&](const CompletedDocument &doc) {
        if (!doc.isTop)
            return;
        if (doc.isErrorPage)
            message = QStringLiteral("loading failed: %1").arg(shown);
        else if (doc.hasRoot)
            result = doc.innerHTML;
        else
            message = QStringLiteral("the document has no root element");
        loop.quit();
    });
    QObject::connect(&browser, &WebBrowser::loadEndedWithoutDocument, &loop, [&](LoadEnd why, const QString &) {
        switch (why) {
        case LoadEnd::Unloadable: message = QStringLiteral("cannot load this address: %1").arg(shown); break;
        case LoadEnd::Failed: message = QStringLiteral("loading failed: %1").arg(shown); break;
        case LoadEnd::NoDocument: message = QStringLiteral("no page to show (a download?): %1").arg(shown); break;
        }
        loop.quit();
    });
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        message = QStringLiteral("timed out after %1 s: %2").arg(timeoutSeconds).arg(shown);
        loop.quit();
    });
    timer.start(timeoutSeconds * 1000);
    browser.Navigate2(address);
    loop.exec();
    if (!result && error)
        *error = message;
    return result;
}

int runHeadless(const Options &options)
{
    if (options.mode != Mode::Dump && options.mode != Mode::Scripts && options.mode != Mode::Data)
        return 2;
    std::optional<QString> source;
    if (fromStdin(options)) {
        source = readStdin();
    } else {
        QString error;
        source = loadSource(options.address, options.timeoutSeconds, &error);
        if (!source) {
            writeMessage(error);
            return 1;
        }
    }
    if (options.mode != Mode::Dump)
        return printExtraction(options.mode == Mode::Scripts, *source);
    if (!writeOut(*source)) {
        writeMessage(writeFailedMessage());
        return 1;
    }
    return 0;
}

} // namespace cli
