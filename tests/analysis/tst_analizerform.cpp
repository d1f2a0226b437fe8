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
#include <QtTest>

namespace {

// Answers every question at once and keeps the notices it was given.
struct RecordingPrompts final : Prompts {
    QStringList *log;
    explicit RecordingPrompts(QStringList *messages) : log(messages) {}
    void message(QWidget *, const QString &text) override { log->append(text); }
    std::optional<SaveChoice> saveFile(QWidget *, const QStringList &, const QString &) override { return {}; }
    std::optional<QColor> chooseColor(QWidget *, const QColor &) override { return {}; }
};

// A main window with recorded notices and a source already in the pane.
struct Fixture {
    MarkloomForm form;
    QStringList messages;
    explicit Fixture(const QString &source)
    {
        form.setPrompts(std::make_unique<RecordingPrompts>(&messages));
        if (!source.isEmpty())
            form.HTMLSorceText->SetText(source);
    }
    void run(bool scripts) { scripts ? form.ID_AnaScpt_Click() : form.ID_Anasor_Click(); }
    AnalizerForm *results() const { return form.analizerForm(); }
};

} // namespace

class TestAnalizerForm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void runAndApply_data();
    void runAndApply();
    void reuseProgressAndClose();
    void sizingRule();
};

void TestAnalizerForm::runAndApply_data()
{
    QTest::addColumn<bool>("scripts");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("text");    // the listed results
    QTest::addColumn<QString>("message"); // the notice shown, if any
    QTest::newRow("empty, scripts") << true << QString() << QString() << analysis::kNoScriptsMessage;
    QTest::newRow("empty, data") << false << QString() << QString() << analysis::kNoDataMessage;
    QTest::newRow("scripts") << true << "<HEAD><SCRIPT>a\r\n</SCRIPT><script>b</script></HEAD>"
                             << "<SCRIPT>a\r\n</SCRIPT>\r\n<script>b</script>\r\n" << QString();
    QTest::newRow("data") << false << "<P>a > b</P><P>c</P>" << "a > b\r\n b</P>\r\n<P>c\r\n" << QString();
    // The pane keeps every character: lone CR and NUL come back unchanged.
    QTest::newRow("line breaks and NUL") << false << QString::fromUtf16(u"<BR>\r\n<P>a\0b\r</P>", 17)
                                         << QString::fromUtf16(u"a\0b\r\r\n", 6) << QString();
    // About 100,000 items of about 50,000 characters: refused, not built.
    QTest::newRow("over the cap") << false << QStringLiteral("<a>") + QString(100000, u'<') << QString()
                                  << analysis::overCapMessage();
}

void TestAnalizerForm::runAndApply()
{
    QFETCH(bool, scripts);
    QFETCH(QString, source);
    QFETCH(QString, text);
    QFETCH(QString, message);
    Fixture f(source);
    const bool modified = f.form.m_bModfied;
    const QString title = f.form.windowTitle();
    f.run(scripts);
    QCOMPARE(f.messages, message.isEmpty() ? QStringList() : QStringList{message});
    // The window stays open, also when nothing was found; the command only reads the source.
    QPointer<AnalizerForm> w = f.results();
    QVERIFY(w && w->isVisible() && !w->parentWidget());
    QCOMPARE(w->windowTitle(), QStringLiteral("解析結果"));
    QCOMPARE(w->AnalizerText->Text(), text);
    QCOMPARE(w->AnalizeProgressBar->value(), text.isEmpty() ? 0 : 10);
    QCOMPARE(f.form.HTMLSorceText->Text(), source);
    QCOMPARE(f.form.m_bModfied, modified);
    QCOMPARE(f.form.windowTitle(), title);

    // Applying puts exactly the listed text in the pane, marks it modified and unloads the window.
    f.form.m_bModfied = false;
    w->findChild<QAction *>(QStringLiteral("ID_MainFormAply"))->trigger();
    QCOMPARE(f.form.HTMLSorceText->Text(), text);
    QVERIFY(f.form.m_bModfied);
    QTRY_VERIFY(!w);
    QVERIFY(!f.form.analizerForm());
}

void TestAnalizerForm::reuseProgressAndClose()
{
    // One script block, then 25 data items: "s()" and 24 times "x".
    const QString source = QStringLiteral("<SCRIPT>s()</SCRIPT>") + QStringLiteral("<P>x</P>").repeated(24);
    Fixture f(source);
    f.form.m_bModfied = false;
    const QString title = f.form.windowTitle();
    f.run(true);
    QPointer<AnalizerForm> w = f.results();
    QCOMPARE(w->AnalizerText->Text(), QStringLiteral("<SCRIPT>s()</SCRIPT>\r\n"));
    w->move(w->pos() + QPoint(13, 7));
    const QPoint place = w->pos();

    // The open window is reused where it stands; its bar restarts from 0, goes
    // up after items 3, 6, ..., 24 and is then filled.
    QSignalSpy values(w->AnalizeProgressBar, &QProgressBar::valueChanged);
    f.run(false);
    QCOMPARE(f.results(), w.data());
    QCOMPARE(w->pos(), place);
    QCOMPARE(w->AnalizerText->Text(), QStringLiteral("s()\r\n") + QStringLiteral("x\r\n").repeated(24));
    QList<int> seen;
    for (const QList<QVariant> &signal : values)
        seen << signal.at(0).toInt();
    QCOMPARE(seen, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 10}));
    QVERIFY(f.messages.isEmpty());

    // The close box discards the results and leaves the main window as it was;
    // the next run loads the window afresh.
    QVERIFY(w->close());
    QTRY_VERIFY(!w);
    QCOMPARE(f.form.HTMLSorceText->Text(), source);
    QVERIFY(!f.form.m_bModfied);
    QCOMPARE(f.form.windowTitle(), title);
    f.run(false);
    QVERIFY(f.results() && f.results()->isVisible());
}

void TestAnalizerForm::sizingRule()
{
    Fixture f(QStringLiteral("<P>a</P>"));
    f.run(false);
    AnalizerForm *w = f.results();
    const double dpi = w->screen() ? w->screen()->logicalDotsPerInchY() : 96.0;
    auto px = [dpi](int tw) { return twips::toPixels(tw, dpi); };
    w->resize(px(8000), px(7000));
    QTRY_COMPARE(w->size(), QSize(px(8000), px(7000)));
    // The rule works on the outer size, frame and title bar included.
    const int outerW = twips::fromPixels(w->frameGeometry().width(), dpi);
    const int outerH = twips::fromPixels(w->frameGeometry().height(), dpi);
    QCOMPARE(w->AnalizerText->geometry(), QRect(0, px(480), px(outerW - 100), px(outerH - 1500)));
    QCOMPARE(w->AnalizeProgressBar->geometry(), QRect(px(outerW - 3500), px(outerH - 1000), px(3375), px(255)));

    // At an outer height of 1500 twips or less nothing moves.
    const QRect text = w->AnalizerText->geometry();
    const QRect bar = w->AnalizeProgressBar->geometry();
    const int low = int(1500 * dpi / 1440) - (w->frameGeometry().height() - w->height());
    w->resize(px(5000), low);
    QTRY_COMPARE(w->height(), low);
    QCOMPARE(w->AnalizerText->geometry(), text);
    QCOMPARE(w->AnalizeProgressBar->geometry(), bar);
}

MARKLOOM_UI_TEST_MAIN(TestAnalizerForm)
#include "tst_analizerform.moc"
