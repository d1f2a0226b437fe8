#include "cli/headless.h"

#include "platform/webbrowser.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <cstdio>

namespace cli {

namespace {

// False when the output could not be written whole (a full disk, a closed pipe).
bool writeOut(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    const size_t written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    return std::fflush(stdout) == 0 && written == static_cast<size_t>(bytes.size()) && !std::ferror(stdout);
}

void writeErr(const QString &text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
}

QString readStdin()
{
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(in.readAll());
}

} // namespace

std::optional<QString> loadSource(const QString &address, int timeoutSeconds, QString *error)
{
    WebBrowser browser;
    QEventLoop loop;
    std::optional<QString> result;
    QString message;

    QObject::connect(&browser, &WebBrowser::documentComplete, &loop, [&](const CompletedDocument &doc) {
        if (!doc.isTop)
            return;
        if (doc.isErrorPage)
            message = QStringLiteral("loading failed: %1").arg(address);
        else if (doc.hasRoot)
            result = doc.innerHTML;
        else
            message = QStringLiteral("the document has no root element");
        loop.quit();
    });
    QObject::connect(&browser, &WebBrowser::loadEndedWithoutDocument, &loop, [&](LoadEnd why, const QString &) {
        switch (why) {
        case LoadEnd::Unloadable: message = QStringLiteral("cannot load this address: %1").arg(address); break;
        case LoadEnd::Failed: message = QStringLiteral("loading failed: %1").arg(address); break;
        case LoadEnd::NoDocument: message = QStringLiteral("no page to show (a download?): %1").arg(address); break;
        }
        loop.quit();
    });
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        message = QStringLiteral("timed out after %1 s: %2").arg(timeoutSeconds).arg(address);
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
    switch (options.mode) {
    case Mode::Dump: {
        QString error;
        const std::optional<QString> source = loadSource(options.address, options.timeoutSeconds, &error);
        if (!source) {
            writeErr(QStringLiteral("markloom: ") + error);
            return 1;
        }
        if (!writeOut(*source)) {
            writeErr(QStringLiteral("markloom: cannot write the output"));
            return 1;
        }
        return 0;
    }
    case Mode::Scripts:
    case Mode::Data: {
        QString source;
        if (options.address == QLatin1String("-")) {
            source = readStdin();
        } else {
            QString error;
            const std::optional<QString> loaded = loadSource(options.address, options.timeoutSeconds, &error);
            if (!loaded) {
                writeErr(QStringLiteral("markloom: ") + error);
                return 1;
            }
            source = *loaded;
        }
        return printExtraction(options.mode == Mode::Scripts, source);
    }
    default:
        return 2;
    }
}

} // namespace cli
