// The source pane keeps text byte-exact and counts positions in UTF-16 units.

#include "platform/sourcepane.h"
#include "support/testenv.h"

#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

class TestSourcePane : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textRoundTrip_data();
    void textRoundTrip();
    void oneChangePerSet();
    void userEditsRaiseChange();
    void setTextClearsUndoHistory();
    void selectionCountsUtf16Units();
    void selectionClampsAtEnd();
    void fontAndColour();
};

void TestSourcePane::textRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("crlf and lone cr") << QStringLiteral("a\r\nb\rc\nd\r\n");
    QTest::newRow("nul inside") << QString::fromUtf16(u"x\0y\0", 4);
    QTest::newRow("nbsp and line separator") << QStringLiteral(u"a\u00a0b\u2028c");
    QTest::newRow("japanese and emoji") << QStringLiteral(u"日本語 \U0001F600 end");
    QTest::newRow("long line") << QString(200000, QLatin1Char('q'));
}

void TestSourcePane::textRoundTrip()
{
    QFETCH(QString, text);
    SourcePane pane;
    pane.SetText(text);
    QCOMPARE(pane.Text(), text);
    QCOMPARE(pane.TextLength(), text.size());
    // Nothing selected, caret at the start.
    QCOMPARE(pane.SelStart(), 0);
    QCOMPARE(pane.SelLength(), 0);
}

void TestSourcePane::oneChangePerSet()
{
    SourcePane pane;
    QSignalSpy spy(&pane, &SourcePane::Change);
    pane.SetText(QStringLiteral("first"));
    QCOMPARE(spy.size(), 1);
    // Replacing text is a delete and an insert inside; still one notification.
    pane.SetText(QStringLiteral("second"));
    QCOMPARE(spy.size(), 2);
    // Setting empty on empty still reports the assignment.
    pane.SetText(QString());
    pane.SetText(QString());
    QCOMPARE(spy.size(), 4);
}

void TestSourcePane::userEditsRaiseChange()
{
    SourcePane pane;
    pane.SetText(QStringLiteral("abc"));
    QSignalSpy spy(&pane, &SourcePane::Change);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    pane.setFocus();
    pane.SetSelStart(3);
    QTest::keyClicks(pane.viewport(), QStringLiteral("d"));
    QCOMPARE(pane.Text(), QStringLiteral("abcd"));
    QVERIFY(spy.size() >= 1);
}

void TestSourcePane::setTextClearsUndoHistory()
{
    SourcePane pane;
    pane.SetText(QStringLiteral("page one"));
    QVERIFY(!pane.isUndoAvailable());
    pane.SetSelStart(0);
    pane.insert(QStringLiteral("x"));
    QVERIFY(pane.isUndoAvailable());
    pane.SetText(QStringLiteral("page two"));
    // Undo must never bring back a previous page.
    QVERIFY(!pane.isUndoAvailable());
}

void TestSourcePane::selectionCountsUtf16Units()
{
    SourcePane pane;
    // "日" is 3 bytes, the emoji 4 bytes and two UTF-16 units, CR LF two units.
    const QString text = QStringLiteral(u"日\U0001F600\r\nabc日本");
    pane.SetText(text);
    pane.SetSelStart(5);
    pane.SetSelLength(4);
    QCOMPARE(pane.SelStart(), 5);
    QCOMPARE(pane.SelLength(), 4);
    QCOMPARE(pane.SelText(), QStringLiteral(u"abc日"));
    QCOMPARE(pane.selectedText(), QStringLiteral(u"abc日"));

    pane.SetSelStart(1);
    pane.SetSelLength(2);
    QCOMPARE(pane.SelText(), QStringLiteral(u"\U0001F600"));
    // Setting the start alone empties the selection.
    pane.SetSelStart(3);
    QCOMPARE(pane.SelLength(), 0);
    QCOMPARE(pane.SelStart(), 3);
}

void TestSourcePane::selectionClampsAtEnd()
{
    SourcePane pane;
    pane.SetText(QStringLiteral("abc"));
    pane.SetSelStart(1);
    pane.SetSelLength(100);
    QCOMPARE(pane.SelStart(), 1);
    QCOMPARE(pane.SelLength(), 2);
    pane.SetSelStart(50);
    QCOMPARE(pane.SelStart(), 3);
    pane.SetText(QString());
    pane.SetSelStart(0);
    pane.SetSelLength(0);
    QCOMPARE(pane.SelStart(), 0);
    QCOMPARE(pane.SelLength(), 0);
}

void TestSourcePane::fontAndColour()
{
    SourcePane pane;
    pane.SetPaneFont(QStringLiteral("DejaVu Sans Mono"), 10.5);
    QCOMPARE(pane.PaneFontSize(), 10.5);
    QCOMPARE(pane.PaneFontFace(), QStringLiteral("DejaVu Sans Mono"));
    pane.SetBackColor(QColor(0x12, 0x34, 0x56));
    QCOMPARE(pane.BackColor(), QColor(0x12, 0x34, 0x56));
    // A font change keeps the colour, a colour change keeps the font.
    pane.SetPaneFont(QStringLiteral("DejaVu Sans"), 14);
    QCOMPARE(pane.BackColor(), QColor(0x12, 0x34, 0x56));
    pane.SetBackColor(Qt::white);
    QCOMPARE(pane.PaneFontSize(), 14.0);
    // Any typed face name, however long, reads back whole.
    const QString longName(600, QLatin1Char('f'));
    pane.SetPaneFont(longName, 12);
    QCOMPARE(pane.PaneFontFace(), longName);
}

int main(int argc, char *argv[])
{
    markloomtest::prepareEnvironment();
    QApplication app(argc, argv);
    TestSourcePane tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_sourcepane.moc"
