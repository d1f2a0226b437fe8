#include "cli/batchlist.h"
#include "cli/headless.h"
#include "cli/jsonlines.h"
#include "cli/output.h"
#include "cli/pageread.h"
#include "edit/markupformatter.h"

#include <QEventLoop>
#include <QFile>
#include <QThread>

namespace cli {

namespace {

struct Result {
    QString address;
    QString url; // empty when the page failed
    QString title;
    QString source;
    QString error;
};

// Results held for the list's order, per job: one page that takes its whole
// timeout holds up the output, and should not hold the memory of thousands.
constexpr qint64 kAheadPerJob = 16;

} // namespace

int runBatch(const Options &options)
{
    QFile list;
    const bool opened = options.batchList == QLatin1String("-")
                            ? list.open(stdin, QIODevice::ReadOnly)
                            : (list.setFileName(options.batchList), list.open(QIODevice::ReadOnly));
    if (!opened) {
        writeMessage(QStringLiteral("cannot read the list %1: %2")
                         .arg(addressForMessage(options.batchList), list.errorString()));
        return 2;
    }
    AddressList addresses(&list, options.shardIndex, options.shardCount);
    const int jobs = options.jobs > 0 ? options.jobs : qMax(1, QThread::idealThreadCount());
    const qint64 ahead = kAheadPerJob * jobs;

    InOrder<Result> done;
    JsonLineWriter out(writeOutBytes);
    QEventLoop loop;
    // Every browser goes before this returns: its temporary storage with it.
    QObject running;  // the pages under way
    QObject finished; // and those on their way out
    qint64 started = 0;
    bool listEnded = false;
    bool anyFailed = false;
    bool writeFailed = false;

    std::function<void()> startMore;
    const auto finish = [&](PageRead *read, qint64 index, const QString &address) {
        Result r;
        r.address = address;
        if (read->ok()) {
            CompletedDocument &top = read->documents().last();
            r.url = top.url.toString(QUrl::FullyEncoded);
            r.title = std::move(top.title);
            r.source = options.format ? markup::format(top.innerHTML) : std::move(top.innerHTML);
        } else {
            r.error = read->error();
            anyFailed = true;
        }
        read->deleteLater();
        done.put(index, std::move(r));
        while (!writeFailed) {
            const std::optional<Result> next = done.takeNext();
            if (!next)
                break;
            out.beginObject();
            out.add(QLatin1String("address"), next->address);
            if (next->error.isEmpty()) {
                out.add(QLatin1String("url"), next->url);
                out.add(QLatin1String("title"), next->title);
                out.add(QLatin1String("source"), next->source);
            } else {
                out.add(QLatin1String("error"), next->error);
            }
            writeFailed = !out.endObject();
        }
        startMore();
    };
    startMore = [&] {
        while (!writeFailed && !listEnded && running.children().size() < jobs && started < done.next() + ahead) {
            const std::optional<QString> address = addresses.next();
            if (!address) {
                listEnded = true;
                break;
            }
            auto *read = new PageRead(*address, options.timeoutSeconds, options.settleMs, false, &running);
            QObject::connect(read, &PageRead::finished, &loop, [&, read, index = started, a = *address] {
                read->setParent(&finished);
                finish(read, index, a);
            });
            ++started;
            read->start();
        }
        if (writeFailed || (listEnded && running.children().isEmpty()))
            loop.quit();
    };
    startMore();
    if (!writeFailed && !(listEnded && running.children().isEmpty()))
        loop.exec();
    if (writeFailed) {
        writeMessage(writeFailedMessage());
        return 1;
    }
    return anyFailed ? 1 : 0;
}

} // namespace cli
