#include "cli/headless.h"

#include "cli/jsonlines.h"
#include "cli/output.h"
#include "cli/pageread.h"
#include "edit/markupformatter.h"

#include <QEventLoop>
#include <QFile>

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

// The documents of a page (frames, then the top); empty with the message in
// error when it could not be read. timedOut: the top as it stood at the
// timeout, with its message in error.
QList<CompletedDocument> readPage(const QString &address, int timeoutSeconds, int settleMs, bool frames,
                                  QString *error, bool *timedOut = nullptr)
{
    PageRead read(address, timeoutSeconds, settleMs, frames);
    QEventLoop loop;
    QObject::connect(&read, &PageRead::finished, &loop, &QEventLoop::quit);
    read.start();
    loop.exec();
    if ((!read.ok() || read.timedOut()) && error)
        *error = read.errorNeedsAddress() ? read.error() + QStringLiteral(": ") + addressForMessage(address)
                                          : read.error();
    if (timedOut)
        *timedOut = read.timedOut();
    return std::move(read.documents());
}

int printFrames(const QList<CompletedDocument> &documents, bool format)
{
    JsonLineWriter out(writeOutBytes);
    for (const CompletedDocument &doc : documents) {
        out.beginObject();
        out.add(QLatin1String("url"), doc.url.toString(QUrl::FullyEncoded));
        out.add(QLatin1String("title"), doc.title);
        out.add(QLatin1String("top"), doc.isTop);
        if (doc.httpStatus != 0)
            out.add(QLatin1String("status"), doc.httpStatus);
        out.add(QLatin1String("source"), format ? markup::format(doc.innerHTML) : doc.innerHTML);
        if (!out.endObject()) {
            writeMessage(writeFailedMessage());
            return 1;
        }
    }
    return 0;
}

} // namespace

bool needsBrowser(const Options &options)
{
    return options.mode == Mode::Window || options.mode == Mode::Dump || options.mode == Mode::Batch
           || ((options.mode == Mode::Scripts || options.mode == Mode::Data) && !fromStdin(options));
}

std::optional<QString> loadSource(const QString &address, int timeoutSeconds, QString *error)
{
    bool timedOut = false;
    QList<CompletedDocument> documents = readPage(address, timeoutSeconds, -1, false, error, &timedOut);
    if (documents.isEmpty() || timedOut)
        return std::nullopt;
    return std::move(documents.last().innerHTML);
}

int runHeadless(const Options &options)
{
    if (options.mode == Mode::Batch)
        return runBatch(options);
    if (options.mode != Mode::Dump && options.mode != Mode::Scripts && options.mode != Mode::Data)
        return 2;
    QString source;
    QString error;   // said after the output
    bool timedOut = false;
    if (fromStdin(options)) {
        source = readStdin();
    } else {
        QList<CompletedDocument> documents = readPage(options.address, options.timeoutSeconds, options.settleMs,
                                                      options.frames, &error, &timedOut);
        if (documents.isEmpty()) {
            writeMessage(error);
            return 1;
        }
        if (options.frames) {
            const int result = printFrames(documents, options.format);
            if (result == 0 && timedOut)
                writeMessage(error);
            return timedOut ? 1 : result;
        }
        source = std::move(documents.last().innerHTML);
        // A page answered with an error status is still a page: said, not failed.
        const int status = documents.last().httpStatus;
        if (!timedOut && status >= 400 && options.mode == Mode::Dump)
            error = QStringLiteral("HTTP %1").arg(status);
    }
    int result = 0;
    if (options.mode != Mode::Dump) {
        result = printExtraction(options.mode == Mode::Scripts, source);
    } else if (!writeOut(options.format ? markup::format(source) : source)) {
        writeMessage(writeFailedMessage());
        return 1;
    }
    if (!error.isEmpty())
        writeMessage(error);
    return timedOut ? 1 : result;
}

} // namespace cli
