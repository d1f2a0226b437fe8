#include "analysis/analizerform.h"
#include "analysis/analysisrules.h"
#include "app/markloomform.h"
#include "platform/sourcepane.h"
#include "support/scripted.h"
#include "support/testpages.h"

#include <QAction>
#include <QProgressBar>
#include <QSignalSpy>
#include <QtTest>

namespace {

// A main window with recorded notices and a source already in the pane.
struct Fixture {
    MarkloomForm form;
    markloomtest::ScriptedPrompts *prompts = markloomtest::installScripted(form).prompts;
    explicit Fixture(const QString &source)
    {
        if (!source.isEmpty())
            form.HTMLSorceText->SetText(source);
    }
    void run(bool scripts) { form.action(scripts ? QStringLiteral("ID_AnaScpt") : QStringLiteral("ID_Anasor"))->trigger(); }
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
    const QString title = f.form.windowTitle();
    f.run(scripts);
    QCOMPARE(f.prompts->messages, message.isEmpty() ? QStringList() : QStringList{message});
    // The window stays open, also when nothing was found; the command only reads the source.
    QPointer<AnalizerForm> w = f.results();
    QVERIFY(w && w->isVisible() && !w->parentWidget());
    QCOMPARE(w->windowTitle(), QStringLiteral("解析結果"));
    QCOMPARE(w->AnalizerText->Text(), text);
    QCOMPARE(w->AnalizeProgressBar->value(), text.isEmpty() ? 0 : 10);
    QCOMPARE(f.form.HTMLSorceText->Text(), source);
    QVERIFY(!f.form.document().isModified());
    QCOMPARE(f.form.windowTitle(), title);

    // Applying puts exactly the listed text in the pane, marks it modified
    // and unloads the window; one undo brings the source back.
    w->findChild<QAction *>(QStringLiteral("ID_MainFormAply"))->trigger();
    QCOMPARE(f.form.HTMLSorceText->Text(), text);
    QVERIFY(f.form.document().isModified());
    QCOMPARE(f.form.windowTitle(), QStringLiteral("* - Markloom"));
    QTRY_VERIFY(!w);
    QVERIFY(!f.form.analizerForm());
    f.form.HTMLSorceText->undo();
    QCOMPARE(f.form.HTMLSorceText->Text(), source);
}

void TestAnalizerForm::reuseProgressAndClose()
{
    // One script block, then 25 data items: "s()" and 24 times "x".
    const QString source = QStringLiteral("<SCRIPT>s()</SCRIPT>") + QStringLiteral("<P>x</P>").repeated(24);
    Fixture f(source);
    const QString title = f.form.windowTitle();
    f.run(true);
    QPointer<AnalizerForm> w = f.results();
    QCOMPARE(w->AnalizerText->Text(), QStringLiteral("<SCRIPT>s()</SCRIPT>\r\n"));
    w->findChild<QAction *>(QStringLiteral("ID_Format"))->trigger(); // 整形 here too
    QCOMPARE(w->AnalizerText->Text(), QStringLiteral("<SCRIPT>s()</SCRIPT>"));
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
    QVERIFY(f.prompts->messages.isEmpty());

    // The close box discards the results and leaves the main window as it was;
    // the next run loads the window afresh.
    QVERIFY(w->close());
    QTRY_VERIFY(!w);
    QCOMPARE(f.form.HTMLSorceText->Text(), source);
    QVERIFY(!f.form.document().isModified());
    QCOMPARE(f.form.windowTitle(), title);
    f.run(false);
    QVERIFY(f.results() && f.results()->isVisible());
}

MARKLOOM_UI_TEST_MAIN(TestAnalizerForm)
#include "tst_analizerform.moc"
