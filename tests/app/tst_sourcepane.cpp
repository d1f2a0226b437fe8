// The source pane keeps text byte-exact and counts positions in UTF-16 units,
// for the program and for screen readers.

#include "platform/sourcepane.h"
#include "platform/sourcepaneaccessible.h"
#include "support/testenv.h"

#include <QAccessible>
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
    void setTextClearsUndoHistory();
    void selectionCountsUtf16Units();
    void selectionClampsAtEnd();
    void fontAndColour();
    void accessibleOffsets_data();
    void accessibleOffsets();
};

void TestSourcePane::textRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("crlf and lone cr") << QStringLiteral("a\r\nb\rc\nd\r\n");
    QTest::newRow("nul inside") << QString::fromUtf16(u"x\0y\0", 4);
    QTest::newRow("nbsp and line separator") << QStringLiteral(u"a\u00a0b\u2028c");
    QTest::newRow("japanese and emoji") << QStringLiteral(u"日本語 \U0001F600 end");
    QTest::newRow("byte order mark first") << QStringLiteral(u"\uFEFFab");
    QTest::newRow("long line") << QString(200000, QLatin1Char('q'));
}

void TestSourcePane::textRoundTrip()
{
    QFETCH(QString, text);
    SourcePane pane;
    pane.SetText(text);
    QCOMPARE(pane.Text(), text);
    // Colouring, on or off, changes no character.
    pane.SetSyntaxColour(true);
    QCOMPARE(pane.Text(), text);
    pane.SetText(text);
    QCOMPARE(pane.Text(), text);
    QCOMPARE(pane.TextLength(), text.size());
    // Nothing selected, caret at the start.
    QCOMPARE(pane.SelStart(), 0);
    QCOMPARE(pane.SelLength(), 0);
    // The horizontal scroll range reaches the end of the longest line shown.
    pane.resize(300, 200);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    pane.viewport()->repaint();
    const auto x = [&pane](long position) { return pane.SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, position); };
    const long longest = x(pane.SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, 0UL)) - x(0);
    QVERIFY(pane.SendScintilla(QsciScintillaBase::SCI_GETSCROLLWIDTH) >= longest);
    QVERIFY(pane.SendScintilla(QsciScintillaBase::SCI_GETSCROLLWIDTH) < longest + 300);
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

    // With colouring every style the lexer uses takes face, size and
    // background; on a dark background its colours turn light.
    pane.SetSyntaxColour(true);
    pane.SetPaneFont(QStringLiteral("DejaVu Sans Mono"), 9.5);
    pane.SetBackColor(Qt::black);
    QByteArray face(64, '\0');
    int styles = 0;
    QSet<long> colours;
    for (int style = 0; style < 128; ++style) {
        if (style >= QsciScintillaBase::STYLE_DEFAULT && style <= QsciScintillaBase::STYLE_LASTPREDEFINED)
            continue;
        pane.SendScintilla(QsciScintillaBase::SCI_STYLEGETFONT, static_cast<unsigned long>(style), static_cast<void *>(face.data()));
        QCOMPARE(QString::fromUtf8(face.constData()), QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(pane.SendScintilla(QsciScintillaBase::SCI_STYLEGETSIZEFRACTIONAL, style), 950);
        QCOMPARE(pane.SendScintilla(QsciScintillaBase::SCI_STYLEGETBACK, style), 0);
        const long fore = pane.SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, style);
        colours.insert(fore);
        styles += QColor(int(fore & 0xFF), int(fore >> 8 & 0xFF), int(fore >> 16 & 0xFF)).lightnessF() > 0.5 ? 1 : 0;
    }
    QVERIFY(styles > 100 && colours.size() > 8);
    pane.SetSyntaxColour(false);
    QCOMPARE(pane.PaneFontSize(), 9.5);
    QCOMPARE(pane.BackColor(), QColor(Qt::black));
}

static QStringList g_events;

static void recordEvent(QAccessibleEvent *event)
{
    switch (event->type()) {
    case QAccessible::TextInserted: {
        const auto *e = static_cast<QAccessibleTextInsertEvent *>(event);
        g_events << QStringLiteral("+%1:%2").arg(e->changePosition()).arg(e->textInserted());
        break;
    }
    case QAccessible::TextRemoved: {
        const auto *e = static_cast<QAccessibleTextRemoveEvent *>(event);
        g_events << QStringLiteral("-%1:%2").arg(e->changePosition()).arg(e->textRemoved());
        break;
    }
    case QAccessible::TextCaretMoved:
        g_events << QStringLiteral("^%1").arg(static_cast<QAccessibleTextCursorEvent *>(event)->cursorPosition());
        break;
    case QAccessible::TextSelectionChanged: {
        const auto *e = static_cast<QAccessibleTextSelectionEvent *>(event);
        g_events << QStringLiteral("[%1,%2]").arg(e->selectionStart()).arg(e->selectionEnd());
        break;
    }
    default: break;
    }
}

// Keys: \b Backspace, \n Enter, \x01 Shift+Left, \x02 a screen reader replaces
// the first character with "ab"; anything else is typed.
void TestSourcePane::accessibleOffsets_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("events");
    QTest::addColumn<int>("caretAfter");
    const QString crlf = QStringLiteral("ab\r\ncd\r\nef");
    QTest::newRow("crlf, typed near the end") << crlf << 9 << "X" << "+9:X ^10" << 10;
    QTest::newRow("crlf, Enter splits a line") << crlf << 5 << "\n" << "+5:\n ^6" << 6;
    QTest::newRow("Backspace joins at a lone cr") << QStringLiteral("x\ry\nz") << 2 << "\b" << "-1:\r ^1" << 1;
    QTest::newRow("Enter after a lone cr, then Backspace")
        << QStringLiteral("x\ry\nz") << 2 << "\n\b" << "+2:\n ^3 -1:\r\n ^1" << 1;
    QTest::newRow("Backspace takes a surrogate pair") << QStringLiteral(u"a😀b😀c") << 6 << "\b" << "-4:😀 ^4" << 4;
    QTest::newRow("a pair selected, then typed over") << QStringLiteral(u"ab😀") << 4 << "\x01Z"
                                                        << "[2,4] ^2 -2:😀 +2:Z [3,3] ^3" << 3;
    // Two bytes for two: the caret keeps its place in the buffer, not its offset.
    QTest::newRow("replaced before the caret") << QStringLiteral(u"é😀x") << 3 << "\x02" << "-0:é +0:ab ^4" << 4;
    QTest::newRow("crlf and pairs, typed near the end")
        << QStringLiteral(u"日本\r\n😀語\r\n") << 7 << QStringLiteral(u"字\n") << "+7:字 ^8 +8:\n ^9" << 9;
}

void TestSourcePane::accessibleOffsets()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, keys);
    QFETCH(QString, events);
    QFETCH(int, caretAfter);
    SourcePane pane;
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    pane.SetText(text);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&pane);
    QVERIFY(iface && iface->textInterface() && iface->editableTextInterface());
    QAccessibleTextInterface *ti = iface->textInterface();
    QCOMPARE(ti->characterCount(), text.size());
    ti->setCursorPosition(caret);
    QCOMPARE(ti->cursorPosition(), caret);

    // After every key, every offset agrees with the text the program reads.
    const auto agrees = [&] {
        const QString now = pane.Text();
        QCOMPARE(ti->characterCount(), now.size());
        QCOMPARE(ti->text(0, int(now.size())), now);
        QList<int> starts{0};
        for (int i = 0; i < now.size(); ++i) {
            if (now[i] == QLatin1Char('\n') || (now[i] == QLatin1Char('\r') && now.mid(i + 1, 1) != QLatin1String("\n")))
                starts << i + 1;
        }
        for (int line = 0; line < starts.size(); ++line) {
            int start = -1;
            int end = -1;
            const int next = line + 1 < starts.size() ? starts[line + 1] : int(now.size());
            QCOMPARE(ti->textAtOffset(starts[line], QAccessible::LineBoundary, &start, &end),
                     now.mid(starts[line], next - starts[line]));
            QCOMPARE(QPair(start, end), QPair(starts[line], next));
        }
    };
    g_events.clear();
    QSignalSpy changes(&pane, &SourcePane::Change);
    SourcePaneAccessible::setListener(recordEvent);
    const auto quiet = qScopeGuard([] { SourcePaneAccessible::setListener(nullptr); });
    for (const QChar key : keys) {
        if (key == QLatin1Char('\b'))
            QTest::keyClick(&pane, Qt::Key_Backspace);
        else if (key == QLatin1Char('\n'))
            QTest::keyClick(&pane, Qt::Key_Return);
        else if (key == QChar(1))
            QTest::keyClick(&pane, Qt::Key_Left, Qt::ShiftModifier);
        else if (key == QChar(2))
            iface->editableTextInterface()->replaceText(0, 1, QStringLiteral("ab"));
        else
            QTest::sendKeyEvent(QTest::Click, &pane, Qt::Key_unknown, QString(key), Qt::NoModifier);
        agrees();
        if (QTest::currentTestFailed())
            return;
    }
    QCOMPARE(g_events.join(QLatin1Char(' ')), events);
    QCOMPARE(ti->cursorPosition(), caretAfter);
    // The program hears of each edit as screen readers do.
    QCOMPARE(changes.size(), g_events.filter(QRegularExpression(QStringLiteral("^[-+]"))).size());
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
