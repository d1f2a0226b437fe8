// The analysis commands and their results window over a document and its
// pane, with recorded notices: no main window, no web engine.

#include "analysis/analysiscommands.h"
#include "analysis/analysisrules.h"
#include "app/captionrule.h"
#include "app/documentmodel.h"
#include "app/settingsmodel.h"
#include "platform/sourcepane.h"
#include "support/scripted.h"

#include <QAccessible>
#include <QAction>
#include <QProgressBar>
#include <QSignalSpy>
#include <QToolBar>
#include <QtTest>

namespace {

// A source in the pane of a shown window, as the main window holds it.
struct Fixture {
    QWidget window;
    SourcePane pane{&window};
    DocumentModel document;
    SettingsModel settings;
    Services services;
    markloomtest::ScriptedPrompts *prompts = markloomtest::installScripted(services).prompts;
    AnalysisCommands commands{document, pane, services, settings, &window};
    explicit Fixture(const QString &source)
    {
        QObject::connect(&pane, &SourcePane::modificationChanged, &document, &DocumentModel::setModified);
        pane.SetText(source);
        window.show();
    }
    void run(bool scripts) { commands.run(scripts ? AnalizerForm::Scripts : AnalizerForm::Data); }
    AnalizerForm *results() const { return commands.form(); }
};

} // namespace

class TestAnalizerForm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void runAndApply_data()
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
        // About 100,000 items of about 50,000 characters: refused, not built.
        QTest::newRow("over the cap") << false << QStringLiteral("<a>") + QString(100000, u'<') << QString()
                                      << analysis::overCapMessage();
    }

    void runAndApply()
    {
        QFETCH(bool, scripts);
        QFETCH(QString, source);
        QFETCH(QString, text);
        QFETCH(QString, message);
        Fixture f(source);
        const QString title = f.document.caption();
        f.run(scripts);
        QCOMPARE(f.prompts->messages, message.isEmpty() ? QStringList() : QStringList{message});
        // The window stays open, also when nothing was found; the command only reads the source.
        QPointer<AnalizerForm> w = f.results();
        QVERIFY(w && w->isVisible() && !w->parentWidget());
        QCOMPARE(w->windowTitle(), QStringLiteral("解析結果"));
        QCOMPARE(QAccessible::queryAccessibleInterface(w->AnalizerText)->text(QAccessible::Name), w->windowTitle());
        QCOMPARE(w->AnalizerText->Text(), text);
        QCOMPARE(w->AnalizeProgressBar->value(), text.isEmpty() ? 0 : 10);
        QCOMPARE(f.pane.Text(), source);
        QCOMPARE(f.document.caption(), title); // without the mark: not modified

        // Applying puts exactly the listed text in the pane, marks it modified
        // and unloads the window; one undo brings the source back.
        w->findChild<QAction *>(QStringLiteral("ID_MainFormAply"))->trigger();
        QCOMPARE(f.pane.Text(), text);
        QCOMPARE(f.document.caption(), QStringLiteral("* - ") + caption::kAppName);
        QTRY_VERIFY(!w);
        QVERIFY(!f.commands.form());
        f.pane.undo();
        QCOMPARE(f.pane.Text(), source);
    }

    void reuseProgressAndClose()
    {
        // One script block, then 25 data items: "s()" and 24 times "x".
        const QString source = QStringLiteral("<SCRIPT>s()</SCRIPT>") + QStringLiteral("<P>x</P>").repeated(24);
        Fixture f(source);
        const QString title = f.document.caption();
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

        // The close box discards the results and leaves the main window as it was;
        // the next run loads the window afresh.
        QVERIFY(w->close());
        QTRY_VERIFY(!w);
        QCOMPARE(f.pane.Text(), source);
        QCOMPARE(f.document.caption(), title);
        f.run(false);
        QVERIFY(f.results() && f.results()->isVisible());
    }

    void keyboard_data()
    {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("effect");
        QTest::newRow("Ctrl+Enter applies") << QKeySequence(Qt::CTRL | Qt::Key_Return) << "applied";
        QTest::newRow("Ctrl+Enter on the keypad applies") << QKeySequence(Qt::CTRL | Qt::Key_Enter) << "applied";
        QTest::newRow("Esc closes") << QKeySequence(Qt::Key_Escape) << "closed";
        QTest::newRow("Ctrl+W closes") << QKeySequence(Qt::CTRL | Qt::Key_W) << "closed";
        QTest::newRow("Tab leaves the list") << QKeySequence(Qt::Key_Tab) << "apply focused";
    }

    // The results window is used from the keyboard alone, starting in its list.
    void keyboard()
    {
        QFETCH(QKeySequence, key);
        QFETCH(QString, effect);
        Fixture f(QStringLiteral("<P>a</P>"));
        f.run(false);
        QPointer<AnalizerForm> w = f.results();
        QVERIFY(QTest::qWaitForWindowActive(w, 30000));
        w->AnalizerText->setFocus();
        QTRY_VERIFY(w->AnalizerText->hasFocus());
        QTest::keySequence(QApplication::focusWidget(), key);
        if (effect == QLatin1String("apply focused")) {
            QVERIFY(w);
            QTRY_COMPARE(QApplication::focusWidget(), w->AnalizerFormToolbar->widgetForAction(w->AnalizerFormToolbar->actions().at(0)));
            return;
        }
        QTRY_VERIFY(!w);
        QCOMPARE(f.pane.Text(), effect == QLatin1String("applied") ? QStringLiteral("a\r\n") : QStringLiteral("<P>a</P>"));
    }
};

MARKLOOM_WIDGET_TEST_MAIN(TestAnalizerForm)
#include "tst_analizerform.moc"
