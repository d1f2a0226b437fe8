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
// error when it could not be read.
QList<CompletedDocument> readPage(const QString &address, int timeoutSeconds, int settleMs, bool frames,
                                  QString *error)
{
    PageRead read(address, timeoutSeconds, settleMs, frames);
    QEventLoop loop;
    QObject::connect(&read, &PageRead::finished, &loop, &QEventLoop::quit);
    read.start();
    loop.exec();
    if (!read.ok() && error)
        *error = read.errorNeedsAddress() ? read.error() + QStringLiteral(": ") + addressForMessage(address)
                                          : read.error();
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
    QList<CompletedDocument> documents = readPage(address, timeoutSeconds, -1, false, error);
    if (documents.isEmpty())
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
    if (fromStdin(options)) {
        source = readStdin();
    } else {
        QString error;
        QList<CompletedDocument> documents =
            readPage(options.address, options.timeoutSeconds, options.settleMs, options.frames, &error);
        if (documents.isEmpty()) {
            writeMessage(error);
            return 1;
        }
        if (options.frames)
            return printFrames(documents, options.format);
        source = std::move(documents.last().innerHTML);
    }
    if (options.mode != Mode::Dump)
        return printExtraction(options.mode == Mode::Scripts, source);
    if (!writeOut(options.format ? markup::format(source) : source)) {
        writeMessage(writeFailedMessage());
        return 1;
    }
    return 0;
}

} // namespace cli
