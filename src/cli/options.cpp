#include "cli/options.h"

#include "cli/output.h"

namespace cli {

namespace {
// Timers count milliseconds in an int.
constexpr int kMaxTimeoutSeconds = 2000000;
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
        const bool shortForm = a == QLatin1String("-h") || a == QLatin1String("-V");
        if (optionsEnded || (!a.startsWith(QLatin1String("--")) && !shortForm)) {
            positional << a;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.mode = Mode::Help;
            return o;
        } else if (a == QLatin1String("--version") || a == QLatin1String("-V")) {
            o.mode = Mode::Version;
            return o;
        } else if (a == QLatin1String("--dump") || a == QLatin1String("--scripts") || a == QLatin1String("--data")) {
            const Mode m = a == QLatin1String("--dump") ? Mode::Dump
                           : a == QLatin1String("--scripts") ? Mode::Scripts
                                                              : Mode::Data;
            if (headless != Mode::Window && headless != m)
                return fail(QStringLiteral("choose one of --dump, --scripts and --data"));
            headless = m;
        } else if (a == QLatin1String("--timeout") || a.startsWith(QLatin1String("--timeout="))) {
            QString value;
            if (a.startsWith(QLatin1String("--timeout="))) {
                value = a.mid(10);
            } else {
                if (i + 1 >= arguments.size())
                    return fail(QStringLiteral("--timeout needs a number of seconds"));
                value = arguments.at(++i);
            }
            // Plain digits only: no sign, blanks or other notations.
            bool ok = !value.isEmpty() && value.size() <= 9;
            for (const QChar c : value)
                ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
            const int t = ok ? value.toInt() : 0;
            if (t <= 0 || t > kMaxTimeoutSeconds)
                return fail(QStringLiteral("--timeout needs a number of seconds from 1 to %1").arg(kMaxTimeoutSeconds));
            o.timeoutSeconds = t;
        } else {
            return fail(QStringLiteral("unknown option %1").arg(addressForMessage(a)));
        }
    }
    o.address = positional.join(QLatin1Char(' '));
    o.mode = headless;
    if (headless != Mode::Window && o.address.isEmpty())
        return fail(QStringLiteral("an address is needed (or - for standard input)"));
    if (headless == Mode::Dump && o.address == QLatin1String("-"))
        return fail(QStringLiteral("--dump needs an address"));
    return o;
}

QString usage()
{
    return QStringLiteral(
        "Usage: markloom [ADDRESS...]\n"
        "       markloom --dump ADDRESS [--timeout SECONDS]\n"
        "       markloom --scripts ADDRESS|- [--timeout SECONDS]\n"
        "       markloom --data ADDRESS|- [--timeout SECONDS]\n"
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
        "  --timeout SECONDS  give up loading after this long (default 60)\n"
        "  -h, --help         show this help\n"
        "  -V, --version      show the version\n"
        "\n"
        "Exit status: 0 success, 1 nothing found or the load failed, 2 usage error.\n");
}

} // namespace cli
