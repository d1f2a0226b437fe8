// The cost of one key in the source pane, side by side with a bare editor
// holding the same text in the same run: typing, Enter, Backspace and arrows
// at the start, middle and end of large sources and in the middle of one long
// line. Accessibility is live throughout: the platform bridge when one is
// running, else activated in-process, and both editors' interfaces are asked
// for once, as a screen reader would.
//
// Usage: bench_typing [--sizes 1,10,50 (0: none)] [--line 5] [--reps N] [--only pane|bare] [--html] [--wrap]
//                     [--colour] [--long KB,KB,...] [--formatted MB]
// (--long: one-line pages of these sizes as sites serve them, typed in the
//  middle and at the end; --formatted: such a page of MB, formatted as 整形
//  does, typed at its start, middle and end.)
// (--only: time one editor, for a profiler; the other column stays empty.
//  --html: both editors colour the text with the HTML lexer. --wrap: both wrap words.
//  --colour: the pane with its colouring on ("bare" column) against the pane
//  without it, and the time to set the text and show it, both ways.)

#include "../format/minifiedpage.h"
#include "edit/markupformatter.h"
#include "platform/sourcepane.h"

#include <Qsci/qscilexerhtml.h>

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

// Table rows with some Japanese and numbered ids, `bytes` long in UTF-8, in
// lines or as one line (minified pages serialise like that).
QString source(qsizetype bytes, bool lines)
{
    QString s;
    s.reserve(bytes);
    for (qsizetype n = 0, id = 0;; ++id) {
        const QString row = QStringLiteral("<tr id=\"r%1\"><td class=\"c%2\">日本語のデータ</td><td>value %3 &amp; more</td></tr>")
                                .arg(id)
                                .arg(id % 97)
                                .arg(id * 7 % 1000)
            + (lines ? QStringLiteral("\n") : QString());
        n += row.toUtf8().size();
        if (n > bytes)
            return s;
        s += row;
    }
}

struct Stats {
    double median = 0;
    double p95 = 0;
};

Stats stats(QList<double> v)
{
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return {v.at(n / 2), v.at(qMin(n - 1, (n * 95 + 99) / 100 - 1))};
}

// The repaint a key brings, done now (the platform would do it a few ms
// later, out of the timing), and whatever else the key posted.
void settle(QsciScintilla *e)
{
    e->viewport()->repaint();
    QCoreApplication::processEvents();
}

// One key, and everything it causes before the next key could come.
double timeKey(QsciScintilla *e, Qt::Key key)
{
    QElapsedTimer t;
    t.start();
    QTest::keyClick(e, key);
    settle(e);
    return t.nsecsElapsed() / 1e6;
}

void makeLive(QsciScintilla *e)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(e);
    if (iface && iface->textInterface())
        (void)iface->textInterface()->cursorPosition();
}

struct Editor {
    const char *name;
    std::unique_ptr<QsciScintilla> widget;
};

using Row = QList<std::pair<Stats, Stats>>; // pane, bare for each key kind
const char *const kKeys[] = {"type", "Enter", "Backspace", "arrows"};

Row measure(const std::array<Editor, 2> &editors, qsizetype bytePos, int reps, const QString &only)
{
    Row row(4);
    QList<QList<double>> samples[2];
    for (int i = 0; i < 2; ++i) {
        samples[i].resize(4);
        if (!only.isEmpty() && only != QLatin1String(editors[i].name)) {
            for (QList<double> &s : samples[i])
                s << 0;
            continue;
        }
        QsciScintilla *e = editors[i].widget.get();
        e->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, static_cast<unsigned long>(bytePos));
        settle(e);
        QList<QList<double>> &s = samples[i];
        for (int r = 0; r < reps; ++r)
            s[0] << timeKey(e, Qt::Key_X);
        for (int r = 0; r < reps; ++r)
            s[2] << timeKey(e, Qt::Key_Backspace);
        for (int r = 0; r < reps; ++r)
            s[1] << timeKey(e, Qt::Key_Return);
        for (int r = 0; r < reps; ++r)
            s[2] << timeKey(e, Qt::Key_Backspace);
        for (int r = 0; r < reps; ++r)
            s[3] << timeKey(e, r % 2 ? Qt::Key_Left : Qt::Key_Right);
    }
    for (int k = 0; k < 4; ++k)
        row[k] = {stats(samples[0][k]), stats(samples[1][k])};
    return row;
}

QList<int> intList(const QString &arg)
{
    QList<int> out;
    for (const QString &part : arg.split(QLatin1Char(',')))
        out << part.toInt();
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QList<int> sizes{1, 10, 50};
    int lineMb = 5;
    int reps = 15;
    QString only;
    QList<int> longKb;
    int formattedMb = 0;
    const bool html = app.arguments().contains(QLatin1String("--html"));
    const bool wrap = app.arguments().contains(QLatin1String("--wrap"));
    const bool colour = app.arguments().contains(QLatin1String("--colour"));
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--sizes"))
            sizes = intList(args[i + 1]);
        else if (args[i] == QLatin1String("--line"))
            lineMb = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--reps"))
            reps = qMax(3, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--only"))
            only = args[i + 1];
        else if (args[i] == QLatin1String("--long"))
            longKb = intList(args[i + 1]);
        else if (args[i] == QLatin1String("--formatted"))
            formattedMb = args[i + 1].toInt();
    }

    // A platform bridge turns accessibility on once it has reached the bus.
    if (qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON")) {
        QWidget probe;
        probe.show();
        (void)QTest::qWaitFor([] { return QAccessible::isActive(); }, 5000);
    }
    const bool bridge = QAccessible::isActive();
    if (!bridge)
        QAccessible::setActive(true);
    std::printf("accessibility: %s\n", bridge ? "platform bridge active" : "activated in-process (no bridge)");
    std::printf("ms per key, median and p95 of %d keys (Backspace: %d); bare/pane = ratio of medians\n\n", reps,
                2 * reps);
    std::printf("%-14s %-7s %-10s %9s %9s %9s %9s %9s\n", "source", "place", "key", "pane", "p95",
                colour ? "coloured" : "bare", "p95", colour ? "col/pane" : "bare/pane");

    struct Case {
        QString name;
        qsizetype bytes;
        bool lines;
        enum { Rows, Page, Formatted } kind = Rows;
    };
    QList<Case> cases;
    for (int mb : sizes) {
        if (mb > 0)
            cases << Case{QStringLiteral("%1 MB").arg(mb), qsizetype(mb) << 20, true};
    }
    if (lineMb > 0)
        cases << Case{QStringLiteral("%1 MB 1 line").arg(lineMb), qsizetype(lineMb) << 20, false};
    for (int kb : longKb)
        cases << Case{QStringLiteral("%1 KB 1 line").arg(kb), qsizetype(kb) << 10, false, Case::Page};
    if (formattedMb > 0)
        cases << Case{QStringLiteral("%1 MB fmt").arg(formattedMb), qsizetype(formattedMb) << 20, true, Case::Formatted};

    for (const Case &c : cases) {
        const QString text = c.kind == Case::Rows ? source(c.bytes, c.lines)
                             : c.kind == Case::Page ? minifiedPage(c.bytes)
                                                    : markup::format(minifiedPage(c.bytes));
        const QByteArray utf8 = text.toUtf8();
        std::array<Editor, 2> editors{Editor{"pane", std::make_unique<SourcePane>()},
                                      Editor{"bare", colour ? std::make_unique<SourcePane>()
                                                            : std::make_unique<QsciScintilla>()}};
        QsciScintilla *bare = editors[1].widget.get();
        if (colour) {
            // Set and shown, at the top of the text, as a page arrives.
            for (int i = 0; i < 2; ++i) {
                auto *pane = static_cast<SourcePane *>(editors[i].widget.get());
                pane->SetSyntaxColour(i == 1);
                pane->resize(1000, 700);
                pane->show();
                (void)QTest::qWaitForWindowExposed(pane);
                QList<double> times;
                for (int r = 0; r < 5; ++r) {
                    QElapsedTimer t;
                    t.start();
                    pane->SetText(text);
                    settle(pane);
                    times << t.nsecsElapsed() / 1e6;
                }
                std::printf("%-14s set and show, colouring %-3s: %9.2f ms (median of 5)\n", qPrintable(c.name),
                            i ? "on" : "off", stats(times).median);
            }
        } else {
            static_cast<SourcePane *>(editors[0].widget.get())->SetText(text);
            bare->setUtf8(true);
            bare->SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()),
                                utf8.constData());
        }
        for (const Editor &e : editors) {
            if (html)
                e.widget->setLexer(new QsciLexerHTML(e.widget.get()));
            if (wrap)
                e.widget->setWrapMode(QsciScintilla::WrapWord);
            e.widget->resize(1000, 700);
            e.widget->show();
            if (!QTest::qWaitForWindowExposed(e.widget.get()))
                std::fprintf(stderr, "bench_typing: window not exposed\n");
            makeLive(e.widget.get());
        }
        // The middle of a line for the single line, else the start of the middle line.
        qsizetype middle = utf8.size() / 2;
        if (c.lines)
            middle = bare->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE,
                                         static_cast<unsigned long>(bare->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(middle))));
        else
            middle = bare->SendScintilla(QsciScintillaBase::SCI_POSITIONBEFORE, static_cast<unsigned long>(middle + 1));
        QList<std::pair<const char *, qsizetype>> places{{"middle", middle}};
        if (c.kind == Case::Page)
            places << std::pair<const char *, qsizetype>{"end", utf8.size()};
        if (c.lines)
            places = {{"start", 0}, {"middle", middle}, {"end", utf8.size()}};
        for (const auto &[place, pos] : places) {
            const Row row = measure(editors, pos, reps, only);
            for (int k = 0; k < 4; ++k) {
                const auto &[pane, bareStats] = row[k];
                std::printf("%-14s %-7s %-10s %9.2f %9.2f %9.2f %9.2f %9.1f\n", qPrintable(c.name), place, kKeys[k],
                            pane.median, pane.p95, bareStats.median, bareStats.p95,
                            bareStats.median / qMax(pane.median, 1e-3));
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
