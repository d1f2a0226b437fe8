#include "cli/options.h"

#include "cli/output.h"

#include <optional>

namespace cli {

namespace {
// Timers count milliseconds in an int.
constexpr int kMaxTimeoutSeconds = 2000000;
constexpr int kMaxSettleMs = 2000000000;
// Each page loading at once has a renderer process of its own.
constexpr int kMaxJobs = 1000;
constexpr int kMaxShards = 1000000;

// Plain digits only (no sign, blanks or other notations), at most limit.
std::optional<int> digits(QStringView value, int limit)
{
    if (value.isEmpty() || value.size() > 10)
        return std::nullopt;
    qint64 n = 0;
    for (const QChar c : value) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n <= limit ? std::optional<int>(int(n)) : std::nullopt;
}

bool isLoadingMode(Mode m) { return m == Mode::Dump || m == Mode::Scripts || m == Mode::Data || m == Mode::Batch; }
} // namespace

Options parse(const QStringList &arguments)
{
    Options o;
    QStringList positional;
    bool optionsEnded = false;
    Mode headless = Mode::Window;
    auto fail = [&o](const QString &message) {
        o.mode = Mode::Error;
        o.error = message;
        return o;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        // Every word starting with "-" is an option, known or not ("-" alone
        // is standard input); an address that starts with one follows "--".
        if (optionsEnded || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            positional << a;
            continue;
        }
        // An option with a value: "--name VALUE" or "--name=VALUE".
        QString value;
        const auto takes = [&](QLatin1String name) {
            if (a == name) {
                if (i + 1 >= arguments.size())
                    return false;
                value = arguments.at(++i);
                return true;
            }
            if (a.size() > name.size() && a.startsWith(name) && a.at(name.size()) == QLatin1Char('=')) {
                value = a.mid(name.size() + 1);
                return true;
            }
            return false;
        };
        const auto isOption = [&a](QLatin1String name) {
            return a == name || (a.startsWith(name) && a.size() > name.size() && a.at(name.size()) == QLatin1Char('='));
        };
        if (a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.mode = Mode::Help;
            return o;
        } else if (a == QLatin1String("--version") || a == QLatin1String("-V")) {
            o.mode = Mode::Version;
            return o;
        } else if (a == QLatin1String("--dump") || a == QLatin1String("--scripts") || a == QLatin1String("--data")
                   || isOption(QLatin1String("--batch"))) {
            const Mode m = a == QLatin1String("--dump")      ? Mode::Dump
                           : a == QLatin1String("--scripts") ? Mode::Scripts
                           : a == QLatin1String("--data")    ? Mode::Data
                                                             : Mode::Batch;
            if (headless != Mode::Window && headless != m)
                return fail(QStringLiteral("choose one of --dump, --scripts, --data and --batch"));
            headless = m;
            if (m == Mode::Batch) {
                if (!takes(QLatin1String("--batch")) || value.isEmpty())
                    return fail(QStringLiteral("--batch needs a file of addresses (or - for standard input)"));
                o.batchList = value;
            }
        } else if (a == QLatin1String("--frames")) {
            o.frames = true;
        } else if (a == QLatin1String("--format")) {
            o.format = true;
        } else if (isOption(QLatin1String("--timeout"))) {
            const auto t = takes(QLatin1String("--timeout")) ? digits(value, kMaxTimeoutSeconds) : std::nullopt;
            if (!t || *t == 0)
                return fail(QStringLiteral("--timeout needs a number of seconds from 1 to %1").arg(kMaxTimeoutSeconds));
            o.timeoutSeconds = *t;
        } else if (isOption(QLatin1String("--settle"))) {
            const auto t = takes(QLatin1String("--settle")) ? digits(value, kMaxSettleMs) : std::nullopt;
            if (!t)
                return fail(QStringLiteral("--settle needs a number of milliseconds from 0 to %1").arg(kMaxSettleMs));
            o.settleMs = *t;
        } else if (isOption(QLatin1String("--jobs"))) {
            const auto n = takes(QLatin1String("--jobs")) ? digits(value, kMaxJobs) : std::nullopt;
            if (!n || *n == 0)
                return fail(QStringLiteral("--jobs needs a number from 1 to %1").arg(kMaxJobs));
            o.jobs = *n;
        } else if (isOption(QLatin1String("--shard"))) {
            const qsizetype slash = takes(QLatin1String("--shard")) ? value.indexOf(QLatin1Char('/')) : -1;
            const auto k = slash > 0 ? digits(QStringView(value).first(slash), kMaxShards) : std::nullopt;
            const auto n = k ? digits(QStringView(value).sliced(slash + 1), kMaxShards) : std::nullopt;
            if (!n || *k == 0 || *k > *n)
                return fail(QStringLiteral("--shard needs K/N, two numbers with 1 <= K <= N <= %1").arg(kMaxShards));
            o.shardIndex = *k;
            o.shardCount = *n;
        } else if (isOption(QLatin1String("--resume"))) {
            if (!takes(QLatin1String("--resume")) || value.isEmpty())
                return fail(QStringLiteral("--resume needs the file an earlier run wrote to"));
            o.resumeFile = value;
        } else if (a == QLatin1String("--quiet")) {
            o.quiet = true;
        } else {
            return fail(QStringLiteral("unknown option %1").arg(addressForMessage(a)));
        }
    }
    o.address = positional.join(QLatin1Char(' '));
    o.mode = headless;
    if (headless == Mode::Batch && !positional.isEmpty())
        return fail(QStringLiteral("--batch takes its addresses from its list, not from the command line"));
    if (headless != Mode::Window && headless != Mode::Batch && o.address.isEmpty())
        return fail(QStringLiteral("an address is needed (or - for standard input)"));
    if (headless == Mode::Dump && o.address == QLatin1String("-"))
        return fail(QStringLiteral("--dump needs an address"));
    if (o.frames && headless != Mode::Dump)
        return fail(QStringLiteral("--frames goes with --dump"));
    if (o.format && headless != Mode::Dump && headless != Mode::Batch)
        return fail(QStringLiteral("--format goes with --dump or --batch"));
    if (o.settleMs >= 0 && (!isLoadingMode(headless) || o.address == QLatin1String("-")))
        return fail(QStringLiteral("--settle needs a page to load (--dump, --scripts, --data or --batch)"));
    if ((o.jobs != 0 || o.shardCount != 1 || !o.resumeFile.isEmpty() || o.quiet) && headless != Mode::Batch)
        return fail(QStringLiteral("--jobs, --shard, --resume and --quiet go with --batch"));
    return o;
}

QString usage()
{
    return QStringLiteral(
        "Usage: markloom [ADDRESS...]\n"
        "       markloom --dump ADDRESS [--frames] [--format] [--settle MS]\n"
        "                               [--timeout SECONDS]\n"
        "       markloom --scripts ADDRESS|- [--settle MS] [--timeout SECONDS]\n"
        "       markloom --data ADDRESS|- [--settle MS] [--timeout SECONDS]\n"
        "       markloom --batch FILE|- [--jobs N] [--shard K/N] [--resume OUT]\n"
        "                               [--quiet] [--format] [--settle MS] [--timeout SECONDS]\n"
        "\n"
        "Reads a web page as its live DOM source.\n"
        "\n"
        "  ADDRESS...         open the window on this address (the words are joined\n"
        "                     by single blanks)\n"
        "  --dump ADDRESS     print the source of the top-level document, as the\n"
        "                     source pane shows it, and exit\n"
        "  --scripts ADDRESS  print the script blocks of the page's source\n"
        "  --data ADDRESS     print the text data of the page's source\n"
        "                     (with - the source is read from standard input, UTF-8)\n"
        "  --frames           with --dump: every document of the page (frames first,\n"
        "                     the top-level one last) as JSON Lines, one object\n"
        "                     {\"url\", \"title\", \"top\", \"source\"} a line\n"
        "  --format           with --dump or --batch: the sources re-indented, white\n"
        "                     space changed only where the page cannot show it\n"
        "  --settle MS        once the page has loaded, wait MS milliseconds and read\n"
        "                     the page again as it stands then\n"
        "  --batch FILE       load every address of FILE (- for standard input), one\n"
        "                     a line; blank lines are skipped, surrounding blanks\n"
        "                     dropped. Prints JSON Lines in the order of the list:\n"
        "                     {\"address\", \"url\", \"title\", \"source\"} or\n"
        "                     {\"address\", \"error\"}\n"
        "  --jobs N           with --batch: load up to N pages at once (default: the\n"
        "                     number of cores)\n"
        "  --shard K/N        with --batch: take every N-th address, starting with\n"
        "                     the K-th (1 <= K <= N), to split a list over machines\n"
        "  --resume OUT       with --batch: append the lines to OUT instead of\n"
        "                     printing them, leaving out the addresses that lines\n"
        "                     already in OUT answered with a source (an earlier run\n"
        "                     over the same list and shard, maybe cut short)\n"
        "  --quiet            with --batch: no progress line on a terminal\n"
        "  --timeout SECONDS  give up loading a page after this long (default 60);\n"
        "                     with --settle, reading it again has as long again\n"
        "  -h, --help         show this help\n"
        "  -V, --version      show the version\n"
        "\n"
        "Exit status: 0 success, 1 nothing found or the load failed (with --batch:\n"
        "some address failed), 2 usage error (with --batch: also a list that cannot\n"
        "be read, or an OUT that is no earlier output of it), 130 and 143 a batch\n"
        "ended by SIGINT or SIGTERM after the line it was writing.\n");
}

} // namespace cli
