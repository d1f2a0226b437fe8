// Times the two extractions (results text included) against one plain scan of
// the same text for a character it does not hold, and the results window
// filled with 100,000 items. Prints ratios; run through bench/analysis/run.sh.

#include "analysis/analizerform.h"
#include "analysis/analysisrules.h"
#include "analysis/dataanalizerclass.h"
#include "app/markloomform.h"
#include "platform/sourcepane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr qsizetype kPageSize = 10 * 1000 * 1000;
constexpr int kRounds = 7;

// Best of several rounds, in milliseconds: the least disturbed by the other
// work on a shared machine.
double bestMs(const std::function<qsizetype()> &work, qsizetype *result = nullptr)
{
    double best = 1e300;
    for (int i = 0; i < kRounds; ++i) {
        QElapsedTimer t;
        t.start();
        const qsizetype r = work();
        best = std::min(best, t.nsecsElapsed() / 1e6);
        if (result)
            *result = r;
    }
    return best;
}

// Ordinary markup: tables, paragraphs, links, entities, a small script now
// and then.
QString generatedPage()
{
    QRandomGenerator random(7);
    const QStringList words = {"markup",   "source", "reader", "page",  "table",
                               "読み込み", "ソース", "data",   "&amp;", "item"};
    QString page;
    page.reserve(kPageSize + 4096);
    page += QStringLiteral("<HEAD><TITLE>Generated</TITLE></HEAD><BODY>\r\n");
    int row = 0;
    while (page.size() < kPageSize) {
        page += QStringLiteral("<TR><TD class=\"c%1\">").arg(row % 7);
        for (int w = 0, n = 2 + int(random.bounded(6)); w < n; ++w)
            page += words.at(int(random.bounded(words.size()))) + QLatin1Char(' ');
        page += QStringLiteral("</TD><TD>&nbsp;</TD><TD><A HREF=\"/item/%1\">item %1</A></TD></TR>\r\n").arg(row);
        if (row % 40 == 0)
            page += QStringLiteral("<SCRIPT LANGUAGE=JavaScript>count(%1);</SCRIPT>\r\n").arg(row);
        ++row;
    }
    page += QStringLiteral("</BODY>");
    return page;
}

// A page as sites send them: much of its weight in inline scripts, with
// comparisons, markup written from script, lower-case tags and long lines.
QString scriptHeavyPage()
{
    const QString script = QStringLiteral(
        "<SCRIPT type=\"text/javascript\">\n"
        "(function(w,d){var i,n=w.items.length;for(i=0;i<n;i++){if(w.items[i].v>0){d.write('<span>'+i+'</span>');}}\n"
        "var cfg={\"a\":1,\"b\":[1,2,3],\"c\":\"x\"};w.__state=JSON.stringify(cfg);if(n>10&&n<1000){w.big=true;}\n"
        "})(window,document);\n"
        "</SCRIPT>\n");
    const QString lower = QStringLiteral("<script async src=\"/static/app.%1.js\"></script>\n");
    const QString body = QStringLiteral(
        "<div class=\"card\"><h2 class=\"title\">Headline %1</h2><p class=\"lead\">Some words of the article, "
        "&nbsp;with an entity and <b>bold</b> text.</p><ul><li><a href=\"/a/%1\">link</a></li><li>two</li></ul>"
        "</div>\n");
    QString page;
    page.reserve(kPageSize + 4096);
    page += QStringLiteral("<head><meta charset=\"utf-8\"><title>News</title>\n");
    int i = 0;
    while (page.size() < kPageSize) {
        page += body.arg(i);
        if (i % 3 == 0)
            page += script;
        if (i % 10 == 0)
            page += lower.arg(i);
        ++i;
    }
    page += QStringLiteral("</body>");
    return page;
}

struct Run {
    double ms = 0;
    qsizetype items = 0;
    qsizetype chars = 0;
};

// Extraction and results text together, as a command does them.
Run timeExtraction(const QString &page, bool scripts)
{
    Run run;
    run.ms = bestMs([&] {
        DataAnalizerClass a;
        const Extraction found = scripts ? a.ScriptDataSpans(page) : a.DataSpans(page);
        const QString text = analysis::resultsText(page, found);
        run.items = scripts ? a.GetScriptDataLen() : a.GetDataLen();
        run.chars = found.overCap ? -1 : text.size();
        return run.chars;
    });
    return run;
}

void benchPage(const char *name, const QString &page)
{
    if (page.indexOf(QChar(0x0001)) >= 0)
        std::printf("warning: the floor character occurs in %s\n", name);
    const double floor = bestMs([&] { return page.indexOf(QChar(0x0001)); });
    std::printf("%-14s %6.2f M chars   floor (one scan for an absent character) %7.2f ms\n", name, page.size() / 1e6,
                floor);
    const struct {
        const char *label;
        bool scripts;
        double aim;
    } kinds[] = {{"scripts", true, 3}, {"data", false, 6}};
    for (const auto &k : kinds) {
        const Run r = timeExtraction(page, k.scripts);
        std::printf("  %-8s %8lld items %7.2f M chars of results %8.2f ms  %5.2fx floor  (aim <= %.0fx)\n", k.label,
                    static_cast<long long>(r.items), r.chars / 1e6, r.ms, r.ms / floor, k.aim);
    }
}

// A small page whose data results would run to gigabytes: refused at the cap.
void benchHostile()
{
    const QString page = QStringLiteral("<a>") + QString(100000, u'<');
    bool over = false;
    const double ms = bestMs([&] {
        DataAnalizerClass a;
        over = a.DataSpans(page).overCap;
        return qsizetype(over);
    });
    std::printf("hostile        \"<a>\" + 100,000 \"<\": data %s in %.2f ms\n",
                over ? "refused at the cap" : "NOT refused", ms);
}

void benchWindow()
{
    constexpr int kItems = 100000;
    MarkloomForm form;
    QString source;
    for (int i = 0; i < kItems; ++i)
        source += QStringLiteral("<LI>list item number %1</LI>").arg(i);
    form.HTMLSorceText->SetText(source);

    QElapsedTimer t;
    t.start();
    form.action(QStringLiteral("ID_Anasor"))->trigger();
    const double first = t.nsecsElapsed() / 1e6;
    double again = 1e300;
    for (int i = 0; i < 3; ++i) {
        t.restart();
        form.action(QStringLiteral("ID_Anasor"))->trigger();
        again = std::min(again, t.nsecsElapsed() / 1e6);
    }
    const QString listed = form.analizerForm()->AnalizerText->Text();
    std::printf("window         %d items, %.2f MB chars of results (%lld lines)\n", kItems, listed.size() / 1e6,
                static_cast<long long>(listed.count(QLatin1String("\r\n"))));
    std::printf("  first run (window created) %8.2f ms   (aim < 300 ms)\n", first);
    std::printf("  next run (window reused)   %8.2f ms   (aim < 300 ms)\n", again);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    benchPage("generated", generatedPage());
    benchPage("script-heavy", scriptHeavyPage());
    benchHostile();
    benchWindow();
    return 0;
}
