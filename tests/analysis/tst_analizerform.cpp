#include "analysis/analizerform.h"
#include "analysis/analysisrules.h"
#include "app/markloomform.h"
#include "platform/prompts.h"
#include "platform/sourcepane.h"
#include "platform/twips.h"
#include "support/testpages.h"

#include <QAction>
#include <QProgressBar>
#include <QScreen>
#include <QSignalSpy>
#include <QToolBar>
#include <QtTest>

namespace {

// Answers every question at once and keeps the notices it was given.
class RecordingPrompts final : public Prompts
{
public:
    explicit RecordingPrompts(QStringList *log) : m_log(log) {}
    void message(QWidget *, const QString &text) override { m_log->append(text); }
    std::optional<SaveChoice> saveFile(QWidget *, const QStringList &, const QString &) override
    {
        return std::nullopt;
    }
    std::optional<QColor> chooseColor(QWidget *, const QColor &) override { return std::nullopt; }

private:
    QStringList *m_log;
};

// A main window with recorded notices and a source already in the pane.
struct Fixture {
    MarkloomForm form;
    QStringList messages;
    explicit Fixture(const QString &source = QString())
    {
        form.setPrompts(std::make_unique<RecordingPrompts>(&messages));
        if (!source.isEmpty())
            form.HTMLSorceText->SetText(source);
    }
    void run(bool scripts) { scripts ? form.ID_AnaScpt_Click() : form.ID_Anasor_Click(); }
    AnalizerForm *results() const { return form.analizerForm(); }
    void apply() { results()->findChild<QAction *>(QStringLiteral("ID_MainFormAply"))->trigger(); }
};

template <size_t N> QString u16(const char16_t (&text)[N])
{
    return QString::fromUtf16(text, qsizetype(N - 1));
}

double dpiOf(const QWidget *w)
{
    return w->screen() ? w->screen()->logicalDotsPerInchY() : 96.0;
}

} // namespace

class TestAnalizerForm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nothingFound_data();
    void nothingFound();
    void listsResults_data();
    void listsResults();
    void progress_data();
    void progress();
    void reusedForSecondRun();
    void applyResults();
    void applyEmpty();
    void closeBoxLeavesMainWindow();
    void sizingRule();
    void overCapRefused();
};

void TestAnalizerForm::nothingFound_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("scripts");
    QTest::addColumn<QString>("message");
    const QString noScripts = QStringLiteral("このソースには、スクリプトはありません。");
    const QString noData = QStringLiteral("このソースには、データがありません。");
    QTest::newRow("empty, scripts") << QString() << true << noScripts;
    QTest::newRow("empty, data") << QString() << false << noData;
    QTest::newRow("lower-case scripts") << "<script>a()</script>" << true << noScripts;
    QTest::newRow("only nbsp") << "<TD>&nbsp;</TD>" << false << noData;
}

void TestAnalizerForm::nothingFound()
{
    QFETCH(QString, source);
    QFETCH(bool, scripts);
    QFETCH(QString, message);
    Fixture f(source);
    QVERIFY(!f.results());
    f.run(scripts);
    QCOMPARE(f.messages, QStringList{message});
    // The window was loaded and stays open, empty, with the bar at 0.
    AnalizerForm *w = f.results();
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QCOMPARE(w->windowTitle(), QStringLiteral("解析結果"));
    QCOMPARE(w->AnalizerText->Text(), QString());
    QCOMPARE(w->AnalizeProgressBar->value(), 0);
    QCOMPARE(w->AnalizeProgressBar->maximum(), 10);
    QCOMPARE(w->ProgressBar1->value(), 0);
    QVERIFY(!w->parentWidget());
    const auto *apply = w->findChild<QAction *>(QStringLiteral("ID_MainFormAply"));
    QVERIFY(apply);
    QCOMPARE(apply->toolTip(), QStringLiteral("メインフォームへ適用"));
    QVERIFY(!apply->icon().isNull());
    QCOMPARE(w->AnalizerFormToolbar->actions(), QList<QAction *>{const_cast<QAction *>(apply)});
}

void TestAnalizerForm::listsResults_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("scripts");
    QTest::addColumn<QString>("expected");
    QTest::newRow("scripts") << "<HEAD><SCRIPT>a\r\n</SCRIPT><script>b</script><SCRIPT>c</SCRIPT></HEAD>" << true
                             << "<SCRIPT>a\r\n</SCRIPT>\r\n<SCRIPT>c</SCRIPT>\r\n";
    QTest::newRow("data") << "<P>a > b</P><P>c</P>" << false << "a > b\r\n b</P>\r\n<P>c\r\n";
    QTest::newRow("one item") << "<P>x</P>" << false << "x\r\n";
    QTest::newRow("line breaks and NUL") << u16(u"<BR>\r\n<BR>\r<P>a\0b</P>") << false
                                         << u16(u"\r\n\r\n\r\r\na\0b\r\n");
}

void TestAnalizerForm::listsResults()
{
    QFETCH(QString, source);
    QFETCH(bool, scripts);
    QFETCH(QString, expected);
    Fixture f(source);
    const QString before = f.form.HTMLSorceText->Text();
    const bool modified = f.form.m_bModfied;
    const QString title = f.form.windowTitle();
    f.run(scripts);
    QVERIFY(f.messages.isEmpty());
    QCOMPARE(f.results()->AnalizerText->Text(), expected);
    QCOMPARE(f.results()->AnalizeProgressBar->value(), 10);
    // The command only reads the source.
    QCOMPARE(f.form.HTMLSorceText->Text(), before);
    QCOMPARE(f.form.m_bModfied, modified);
    QCOMPARE(f.form.windowTitle(), title);
}

void TestAnalizerForm::progress_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("afterLoop");
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("5") << 5 << 5;
    QTest::newRow("9") << 9 << 9;
    QTest::newRow("10") << 10 << 5;
    QTest::newRow("25") << 25 << 8;
    QTest::newRow("100") << 100 << 9;
}

void TestAnalizerForm::progress()
{
    QFETCH(int, n);
    QFETCH(int, afterLoop);
    Fixture f(QStringLiteral("<P>x</P>").repeated(n));
    f.run(false);
    QCOMPARE(f.results()->AnalizerText->Text(), QStringLiteral("x\r\n").repeated(n));
    // Run again in the open window: the bar restarts from 0 and climbs one
    // value at a time to what the rule gives, then is filled.
    QSignalSpy values(f.results()->AnalizeProgressBar, &QProgressBar::valueChanged);
    f.run(false);
    QList<int> expected{0};
    for (int v = 1; v <= afterLoop; ++v)
        expected << v;
    expected << 10;
    QList<int> seen;
    for (const QList<QVariant> &signal : values)
        seen << signal.at(0).toInt();
    QCOMPARE(seen, expected);
}

void TestAnalizerForm::reusedForSecondRun()
{
    Fixture f(QStringLiteral("<SCRIPT>s()</SCRIPT><P>d</P>"));
    f.run(true);
    AnalizerForm *first = f.results();
    QCOMPARE(first->AnalizerText->Text(), QStringLiteral("<SCRIPT>s()</SCRIPT>\r\n"));
    first->move(first->pos() + QPoint(13, 7));
    const QPoint place = first->pos();
    f.run(false);
    QCOMPARE(f.results(), first);
    QCOMPARE(first->pos(), place);
    QCOMPARE(first->AnalizerText->Text(), QStringLiteral("s()\r\nd\r\n"));
    QCOMPARE(first->AnalizeProgressBar->value(), 10);
    QVERIFY(f.messages.isEmpty());
}

void TestAnalizerForm::applyResults()
{
    Fixture f(QStringLiteral("<HEAD><SCRIPT>a\r\n</SCRIPT></HEAD><SCRIPT>b</SCRIPT>"));
    f.run(true);
    f.form.m_bModfied = false;
    QPointer<AnalizerForm> w = f.results();
    f.apply();
    QCOMPARE(f.form.HTMLSorceText->Text(), QStringLiteral("<SCRIPT>a\r\n</SCRIPT>\r\n<SCRIPT>b</SCRIPT>\r\n"));
    QVERIFY(f.form.m_bModfied);
    QVERIFY(!w->isVisible());
    QTRY_VERIFY(!w);
    QVERIFY(!f.form.analizerForm());
    // The next run loads the window afresh.
    f.run(false);
    QVERIFY(f.results());
    QVERIFY(f.results()->isVisible());
}

void TestAnalizerForm::applyEmpty()
{
    Fixture f(QStringLiteral("no tags at all"));
    f.run(false);
    QCOMPARE(f.messages.size(), 1);
    f.form.m_bModfied = false;
    QPointer<AnalizerForm> w = f.results();
    f.apply();
    QCOMPARE(f.form.HTMLSorceText->Text(), QString());
    QVERIFY(f.form.m_bModfied);
    QTRY_VERIFY(!w);
}

void TestAnalizerForm::closeBoxLeavesMainWindow()
{
    Fixture f(QStringLiteral("<P>a</P>"));
    f.form.m_bModfied = false;
    const QString title = f.form.windowTitle();
    f.run(false);
    QPointer<AnalizerForm> w = f.results();
    QVERIFY(w->close());
    QTRY_VERIFY(!w);
    QCOMPARE(f.form.HTMLSorceText->Text(), QStringLiteral("<P>a</P>"));
    QVERIFY(!f.form.m_bModfied);
    QCOMPARE(f.form.windowTitle(), title);
}

void TestAnalizerForm::sizingRule()
{
    Fixture f(QStringLiteral("<P>a</P>"));
    f.run(false);
    AnalizerForm *w = f.results();
    const double dpi = dpiOf(w);
    auto twipsOf = [dpi](int px) { return twips::fromPixels(px, dpi); };
    auto px = [dpi](int tw) { return twips::toPixels(tw, dpi); };

    w->resize(px(8000), px(7000));
    QTRY_COMPARE(w->size(), QSize(px(8000), px(7000)));
    const QRect outer = w->frameGeometry();
    const int outerW = twipsOf(outer.width());
    const int outerH = twipsOf(outer.height());
    QCOMPARE(w->AnalizerText->geometry(), QRect(0, px(480), px(outerW - 100), px(outerH - 1500)));
    QCOMPARE(w->AnalizeProgressBar->geometry(), QRect(px(outerW - 3500), px(outerH - 1000), px(3375), px(255)));
    const QRect progress1 = w->ProgressBar1->geometry();

    // At an outer height of 1500 twips or less nothing moves.
    const QRect text = w->AnalizerText->geometry();
    const QRect bar = w->AnalizeProgressBar->geometry();
    const int frameExtra = outer.height() - w->height();
    const int lowHeight = int(1500 * dpi / 1440) - frameExtra;
    QVERIFY(twipsOf(lowHeight + frameExtra) <= 1500);
    w->resize(px(5000), lowHeight);
    QTRY_COMPARE(w->height(), lowHeight);
    QCOMPARE(w->AnalizerText->geometry(), text);
    QCOMPARE(w->AnalizeProgressBar->geometry(), bar);
    QCOMPARE(w->ProgressBar1->geometry(), progress1);
}

void TestAnalizerForm::overCapRefused()
{
    // About 100,000 items of about 50,000 characters: refused, not built.
    Fixture f(QStringLiteral("<a>") + QString(100000, u'<'));
    f.run(false);
    QCOMPARE(f.messages, QStringList{analysis::overCapMessage()});
    QCOMPARE(f.results()->AnalizerText->Text(), QString());
    QCOMPARE(f.results()->AnalizeProgressBar->value(), 0);
}

MARKLOOM_UI_TEST_MAIN(TestAnalizerForm)
#include "tst_analizerform.moc"
