#include "cli/batchlist.h"
#include "cli/batchprogress.h"
#include "cli/headless.h"
#include "cli/jsonlines.h"
#include "cli/output.h"
#include "cli/pageread.h"
#include "cli/resumefile.h"
#include "cli/stopsignals.h"
#include "edit/markupformatter.h"
#include "platform/storagewatch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace cli {

namespace {

struct Result {
    QString address;
    QString url; // empty when the page failed
    QString title;
    int status = 0; // HTTP status of the top-level response; 0: none
    QString source;
    QString error;  // with a source: the page as it stood when it timed out
};

// Results held for the list's order, per job: one page that takes its whole
// timeout holds up the output, and should not hold the memory of thousands.
constexpr qint64 kAheadPerJob = 16;

// The addresses still to load: the list as it is read or, going on with an
// earlier output, those of the whole list that it has not answered.
class Addresses
{
public:
    Addresses(QIODevice *list, int shardIndex, int shardCount) : m_stream(list, shardIndex, shardCount) {}
    // Reads the whole list (of this shard), for resume().
    QStringList all()
    {
        QStringList read;
        for (auto a = m_stream.next(); a; a = m_stream.next())
            read << *a;
        return read;
    }
    void resume(QStringList all, QList<bool> answered)
    {
        m_all = std::move(all);
        m_answered = std::move(answered);
        m_resuming = true;
    }
    std::optional<QString> next()
    {
        if (!m_resuming)
            return m_stream.next();
        while (m_at < m_all.size() && m_answered.at(m_at))
            ++m_at;
        if (m_at >= m_all.size())
            return std::nullopt;
        return m_all.at(m_at++);
    }

private:
    AddressList m_stream;
    bool m_resuming = false;
    QStringList m_all;
    QList<bool> m_answered;
    qsizetype m_at = 0;
};

// The progress line on a terminal, drawn again at most four times a second.
class Progress
{
public:
    explicit Progress(bool shown) : m_shown(shown)
    {
        m_redraw.setInterval(250);
        QObject::connect(&m_redraw, &QTimer::timeout, [this] { draw(); });
    }
    void start(qint64 total, qint64 doneBefore)
    {
        m_figures.total = total;
        m_figures.done = doneBefore;
        m_clock.start();
        if (m_shown) {
            draw();
            m_redraw.start();
        }
    }
    void lineWritten(bool failed)
    {
        ++m_figures.done;
        ++m_figures.doneHere;
        m_figures.failed += failed;
    }
    // The last state, and the line left as it is.
    void end()
    {
        if (!m_shown || !m_clock.isValid())
            return;
        m_redraw.stop();
        draw();
        std::fputs("\n", stderr);
        std::fflush(stderr);
        m_clock.invalidate();
    }

private:
    void draw()
    {
        m_figures.elapsedMs = m_clock.elapsed();
        const QByteArray line = "\r" + progressLine(m_figures).toUtf8() + "\x1b[K";
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fflush(stderr);
    }

    bool m_shown;
    BatchFigures m_figures;
    QElapsedTimer m_clock;
    QTimer m_redraw;
};

// Addresses of a list file, counted for the progress line; -1 for a list
// that can be read only once.
qint64 countAddresses(QFile *list, int shardIndex, int shardCount)
{
    if (!QFileInfo(*list).isFile() || !list->seek(0))
        return -1;
    AddressList counted(list, shardIndex, shardCount);
    qint64 n = 0;
    while (counted.next())
        ++n;
    return list->seek(0) ? n : -1;
}

// One page loading at a time in a browser of its own. Once a page is read,
// the browser checks what its pages stored (leaving the page, so that its
// last handlers run); when they surely left nothing a next page could see,
// the browser goes on to the next page (its engine process reused).
// Otherwise the browser is replaced, the new one made only once the old one
// is gone: a job never has two.
struct Job {
    std::unique_ptr<WebBrowser> browser;
    PageRead *read = nullptr;
    bool leaving = false;   // the browser is checking what the page stored
    bool lookDue = false;   // ... or will, as the job's next page arrives
    bool arriving = false;  // the page looks as it arrives, and counts once that look found nothing
    quint64 leaves = 0;     // tells a leave from the ones before it
    bool replacing = false; // waiting for the old browser to go
    QPointer<WebBrowser> retiring; // the old browser, hidden
    qint64 index = 0;       // in the output
    QString address;
};

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
    Addresses addresses(&list, options.shardIndex, options.shardCount);
    const bool progressShown = !options.quiet && isatty(STDERR_FILENO);
    qint64 total = -1;
    qint64 doneBefore = 0;

    // Going on with an earlier output: it is checked against the list before
    // anything is written, and a line cut short is cut off.
    QFile resumed(options.resumeFile);
    if (!options.resumeFile.isEmpty()) {
        const QString name = addressForMessage(options.resumeFile);
        if (!resumed.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
            writeMessage(QStringLiteral("cannot open %1: %2").arg(name, resumed.errorString()));
            return 2;
        }
        QStringList all = addresses.all();
        ResumePoint point = readResume(&resumed, all);
        if (!point.error.isEmpty()) {
            writeMessage(QStringLiteral("cannot go on with %1: %2").arg(name, point.error));
            return 2;
        }
        if (!resumed.resize(point.keep) || !resumed.seek(point.keep)) {
            writeMessage(QStringLiteral("cannot write to %1: %2").arg(name, resumed.errorString()));
            return 1;
        }
        total = all.size();
        doneBefore = point.answeredCount;
        addresses.resume(std::move(all), std::move(point.answered));
    } else if (progressShown) {
        total = countAddresses(&list, options.shardIndex, options.shardCount);
    }
    const auto sink = options.resumeFile.isEmpty()
                          ? JsonLineWriter::Sink(writeOutBytes)
                          : JsonLineWriter::Sink([&resumed](QByteArrayView bytes) {
                                return resumed.write(bytes.data(), bytes.size()) == bytes.size();
                            });

    const int jobCount = options.jobs > 0 ? options.jobs : qMax(1, QThread::idealThreadCount());
    const qint64 ahead = kAheadPerJob * jobCount;
    std::vector<Job> jobs(static_cast<size_t>(jobCount));
    InOrder<Result> done;
    JsonLineWriter out(sink);
    Progress progress(progressShown);
    StopSignals stopSignals;
    QEventLoop loop;
    qint64 started = 0;
    bool listEnded = false;
    bool anyFailed = false;
    bool writeFailed = false;
    const auto stopped = [&] { return writeFailed || StopSignals::received() != 0; };
    const auto idle = [&] {
        return std::all_of(jobs.begin(), jobs.end(),
                           [](const Job &j) { return !j.read && !j.leaving && !j.replacing; });
    };

    std::function<void()> startMore;
    std::function<void(Job &)> startPage;
    const auto writeReady = [&] {
        // A signal ends the batch after the line being written: the lines
        // after it, finished or not, are left for a later run.
        while (!stopped()) {
            const std::optional<Result> next = done.takeNext();
            if (!next)
                break;
            out.beginObject();
            out.add(QLatin1String("address"), next->address);
            if (!next->url.isEmpty()) {
                out.add(QLatin1String("url"), next->url);
                out.add(QLatin1String("title"), next->title);
                if (next->status != 0)
                    out.add(QLatin1String("status"), next->status);
                out.add(QLatin1String("source"), next->source);
            }
            if (!next->error.isEmpty())
                out.add(QLatin1String("error"), next->error);
            writeFailed = !out.endObject();
            progress.lineWritten(!next->error.isEmpty());
        }
    };
    // The job's browser goes; once it has, the job's page (if any) starts in a new one.
    // (Queued: no new browser is made while the old one is still being taken apart.)
    const auto replaceBrowser = [&](Job &job) {
        WebBrowser *old = job.browser.release();
        job.replacing = true;
        QObject::connect(
            old, &QObject::destroyed, &loop,
            [&] {
                job.replacing = false;
                if (job.index >= 0 && !stopped())
                    startPage(job);
                else
                    startMore();
            },
            Qt::QueuedConnection);
        // Hidden first, and gone a moment later: the engine of this version
        // can crash when a frame of the view's arrives while it is taken apart.
        old->hide();
        QTimer::singleShot(WebBrowser::kRetireMs, old, &QObject::deleteLater);
        job.retiring = old;
    };
    // Goes on once the pages before are known to have left nothing: with the
    // job's page when it has one (its look was due but could not be at its
    // arrival), or with the next.
    const auto checkStorage = [&](Job &job) {
        job.leaving = true;
        WebBrowser *browser = job.browser.get();
        const auto settled = [&, browser, leave = ++job.leaves](bool reusable) {
            if (!job.leaving || leave != job.leaves)
                return;
            job.leaving = false;
            QObject::disconnect(browser, nullptr, &loop, nullptr);
            if (!reusable || stopped())
                replaceBrowser(job);
            else if (job.index >= 0)
                startPage(job);
            else
                startMore();
        };
        QObject::connect(browser, &WebBrowser::storageChecked, &loop, settled);
        QTimer::singleShot(options.timeoutSeconds * 1000, browser, [settled] { settled(false); });
        browser->checkStorage();
    };
    // Origins where a page's look on arrival did not find nothing (something
    // stored after all, a page that moved on at once): their next pages get
    // a look of their own again.
    QSet<QUrl> noArrival;
    const auto conclude = [&](Job &job, bool clean) {
        PageRead *read = std::exchange(job.read, nullptr);
        job.browser = read->takeBrowser();
        read->deleteLater();
        // Something may have been there as the page arrived: it goes again, in
        // a new browser.
        if (!clean) {
            noArrival.insert(StorageWatch::originOf(WebBrowser::urlFromUserInput(job.address)));
            return replaceBrowser(job);
        }
        Result r;
        r.address = job.address;
        if (read->ok()) {
            CompletedDocument &top = read->documents().last();
            r.url = top.url.toString(QUrl::FullyEncoded);
            r.title = std::move(top.title);
            r.status = top.httpStatus;
            r.source = options.format ? markup::format(top.innerHTML) : std::move(top.innerHTML);
        }
        if (!read->ok() || read->timedOut()) {
            r.error = read->timedOut() ? QStringLiteral("timed out") : read->error();
            anyFailed = true;
        }
        done.put(job.index, std::move(r));
        job.index = -1;
        writeReady();
        // A page that failed may have left its browser hung or busy.
        if (!read->ok() || read->timedOut() || stopped())
            return replaceBrowser(job);
        // A next page of the same origin looks as it arrives, with no
        // document in between.
        const QUrl due = job.browser->lookDue();
        if (!due.isEmpty() && !noArrival.contains(due)) {
            job.lookDue = true;
            return startMore();
        }
        checkStorage(job);
    };
    const auto finish = [&](Job &job) {
        // A page that failed has no document that could have seen anything.
        if (!std::exchange(job.arriving, false) || !job.read->ok())
            return conclude(job, true);
        WebBrowser *browser = job.read->browser();
        if (browser->arrivalVerdict() || stopped())
            return conclude(job, browser->arrivalVerdict().value_or(false));
        // Read, and waiting for that look's answer (or its timeout, whichever
        // comes first): the first one concludes the read, and the job moves on.
        const auto answered = [&, browser, read = job.read] {
            if (job.read != read)
                return;
            QObject::disconnect(browser, &WebBrowser::arrivalChecked, &loop, nullptr);
            conclude(job, browser->arrivalVerdict().value_or(false));
        };
        QObject::connect(browser, &WebBrowser::arrivalChecked, &loop, answered);
        QTimer::singleShot(options.timeoutSeconds * 1000, job.read, answered);
    };
    startPage = [&](Job &job) {
        if (!job.browser) {
            job.browser = std::make_unique<WebBrowser>();
            job.browser->watchStorage();
        } else {
            job.browser->nextPage();
            if (std::exchange(job.lookDue, false)) {
                if (!job.browser->lookOnArrival(job.address))
                    return checkStorage(job);
                job.arriving = true;
            }
        }
        job.read = new PageRead(std::move(job.browser), job.address, options.timeoutSeconds, options.settleMs, false);
        QObject::connect(job.read, &PageRead::finished, &loop, [&] { finish(job); });
        job.read->start();
    };
    startMore = [&] {
        for (Job &job : jobs) {
            if (stopped() || listEnded || started >= done.next() + ahead)
                break;
            if (job.read || job.leaving || job.replacing)
                continue;
            const std::optional<QString> address = addresses.next();
            if (!address) {
                listEnded = true;
                break;
            }
            job.address = *address;
            job.index = started++;
            startPage(job);
        }
        if (stopped() || (listEnded && idle()))
            loop.quit();
    };
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &loop, &QEventLoop::quit);
    progress.start(total, doneBefore);
    startMore();
    if (!stopped() && !(listEnded && idle()))
        loop.exec();
    progress.end();
    // The pages under way go, and their engine processes with them: hidden
    // first, as a replaced browser is, and nothing of theirs answered any more.
    for (Job &job : jobs) {
        if (job.read) {
            job.browser = job.read->takeBrowser();
            delete std::exchange(job.read, nullptr);
        }
        job.leaving = false;
        if (job.browser) {
            QObject::disconnect(job.browser.get(), nullptr, &loop, nullptr);
            job.browser->hide();
        }
    }
    QEventLoop retire;
    QTimer::singleShot(WebBrowser::kRetireMs, &retire, &QEventLoop::quit);
    retire.exec();
    for (Job &job : jobs) {
        job.browser.reset();
        delete job.retiring.data();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (const int signalNumber = StopSignals::received())
        return 128 + signalNumber;
    if (writeFailed) {
        writeMessage(writeFailedMessage());
        return 1;
    }
    return anyFailed ? 1 : 0;
}

} // namespace cli
