// The source pane keeps text byte-exact and counts positions in UTF-16 units,
// for the program and for screen readers.

#include "platform/sourcepane.h"
#include "platform/sourcepaneaccessible.h"
#include "support/testenv.h"

#include <QAccessible>
#include <Qsci/qscilexerhtml.h>
#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

using S = QsciScintillaBase;

class TestSourcePane : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("nbsp, line separator, emoji, crlf, lone cr")
            << QStringLiteral(u"日本\u00a0b\u2028c \U0001F600\r\nd\re\n");
        QTest::newRow("byte order mark first, nul inside") << QStringView(u"\uFEFFx\0y\0", 5).toString();
        QTest::newRow("long line") << QString(200000, QLatin1Char('q'));
        // 2^20 - 1 units, then a pair: it goes to the editor across the first megabyte's end.
        QTest::newRow("pair across a megabyte") << QStringLiteral("0123456789\n").repeated(95325)
                                                       + QStringLiteral(u"\U0001F600\n日");
    }

    void textRoundTrip()
    {
        QFETCH(QString, text);
        SourcePane pane;
        QSignalSpy changes(&pane, &SourcePane::Change);
        pane.SetText(text);
        // An edit, then a page over it with colouring on: one change each, and
        // undo never brings back the previous page.
        pane.SetSyntaxColour(true);
        pane.SetSelStart(int(text.size()));
        pane.insert(QStringLiteral("x"));
        QVERIFY(pane.isUndoAvailable());
        pane.SetText(text);
        QCOMPARE(changes.size(), 3);
        QVERIFY(!pane.isUndoAvailable());
        QCOMPARE(pane.Text(), text);
        QCOMPARE(pane.TextLength(), text.size());
        QCOMPARE(QPair(pane.SelStart(), pane.SelLength()), QPair(0, 0));
        // The horizontal scroll range reaches the end of the longest line shown.
        pane.resize(300, 200);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        pane.viewport()->repaint();
        const auto x = [&pane](long position) { return pane.SendScintilla(S::SCI_POINTXFROMPOSITION, 0UL, position); };
        const long longest = x(pane.SendScintilla(S::SCI_GETLINEENDPOSITION, 0UL)) - x(0);
        const long width = pane.SendScintilla(S::SCI_GETSCROLLWIDTH);
        QVERIFY(width >= longest && width < longest + 300);
    }

    void selection()
    {
        SourcePane pane;
        // "日" is 3 bytes, the emoji 4 bytes and two UTF-16 units, CR LF two units.
        pane.SetText(QStringLiteral(u"日\U0001F600\r\nabc日本"));
        pane.SetSelStart(5);
        pane.SetSelLength(4);
        QCOMPARE(pane.SelText(), QStringLiteral(u"abc日"));
        QCOMPARE(pane.selectedText(), QStringLiteral(u"abc日"));
        // Setting the start alone empties the selection.
        pane.SetSelStart(1);
        QCOMPARE(pane.SelLength(), 0);
        pane.SetSelLength(2);
        QCOMPARE(pane.selectedText(), QStringLiteral(u"\U0001F600"));
        // The selection stops at the end of the text.
        pane.SetSelLength(100);
        QCOMPARE(pane.SelText(), QStringLiteral(u"\U0001F600\r\nabc日本"));
    }

    void fontAndColour()
    {
        SourcePane pane;
        pane.SetBackColor(QColor(0x12, 0x34, 0x56));
        // With colouring every style the lexer uses takes face (any typed name,
        // however long), size and background; on a dark background its colours
        // turn light. Neither of font and colour undoes the other.
        pane.SetSyntaxColour(true);
        const QString longName(600, QLatin1Char('f'));
        pane.SetPaneFont(longName, 9.5);
        QCOMPARE(pane.BackColor(), QColor(0x12, 0x34, 0x56));
        pane.SetBackColor(Qt::black);
        QCOMPARE(pane.PaneFontFace(), longName);
        QByteArray face(1024, '\0');
        int light = 0;
        QSet<long> colours;
        for (unsigned long style = 0; style < 128; ++style) {
            if (style >= S::STYLE_DEFAULT && style <= S::STYLE_LASTPREDEFINED)
                continue;
            pane.SendScintilla(S::SCI_STYLEGETFONT, style, static_cast<void *>(face.data()));
            QCOMPARE(QString::fromUtf8(face.constData()), longName);
            QCOMPARE(pane.SendScintilla(S::SCI_STYLEGETSIZEFRACTIONAL, style), 950);
            QCOMPARE(pane.SendScintilla(S::SCI_STYLEGETBACK, style), 0);
            const long fore = pane.SendScintilla(S::SCI_STYLEGETFORE, style);
            colours.insert(fore);
            light += QColor(QRgb(fore)).lightnessF() > 0.5 ? 1 : 0; // red and blue swapped: same lightness
        }
        QVERIFY(light > 100 && colours.size() > 8);
        pane.SetSyntaxColour(false);
        QCOMPARE(pane.PaneFontSize(), 9.5);
        QCOMPARE(pane.BackColor(), QColor(Qt::black));
    }

    // Names of HTML5, SVG 2 and MathML core, data-* and aria-*, and custom
    // elements (a hyphen in the name), also once typed, are coloured as markup.
    void colouring_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("at");
        QTest::addColumn<int>("style");
        const int tag = QsciLexerHTML::Tag, unknownTag = QsciLexerHTML::UnknownTag;
        const int attribute = QsciLexerHTML::Attribute, unknownAttribute = QsciLexerHTML::UnknownAttribute;
        const QString svg = QStringLiteral("<svg viewBox=\"0 0 1 1\"><feGaussianBlur/></svg>");
        const QString p = QStringLiteral("<p data-x=1 aria-label=y zz=2 onpointerdown=f()>");
        QTest::newRow("nav") << "<main><nav></nav></main>" << "" << "nav" << tag;
        QTest::newRow("svg") << svg << "" << "svg" << tag;
        QTest::newRow("svg element") << svg << "" << "feGaussianBlur" << tag;
        QTest::newRow("svg attribute") << svg << "" << "viewBox" << attribute;
        QTest::newRow("mathml") << "<math><mfrac></mfrac></math>" << "" << "mfrac" << tag;
        QTest::newRow("custom element") << "<my-widget a=1></my-widget>" << "" << "my-widget" << tag;
        QTest::newRow("unknown") << "<foo>" << "" << "foo" << unknownTag;
        QTest::newRow("data-") << p << "" << "data-x" << attribute;
        QTest::newRow("aria-") << p << "" << "aria-label" << attribute;
        QTest::newRow("event handler") << p << "" << "onpointerdown" << attribute;
        QTest::newRow("unknown attribute") << p << "" << "zz" << unknownAttribute;
        QTest::newRow("custom element typed") << "<p>" << "<x-y>" << "x-y" << tag;
        // Nothing is learnt from a name still being typed (names serve attributes too).
        QTest::newRow("custom element half typed") << "<p x-z=1>" << "<x-z" << "x-z" << unknownAttribute;
    }

    void colouring()
    {
        QFETCH(QString, text);
        QFETCH(QString, typed);
        QFETCH(QString, at);
        QFETCH(int, style);
        SourcePane pane;
        pane.SetSyntaxColour(true);
        pane.SetText(text);
        pane.SetSelStart(int(text.size()));
        QTest::keyClicks(&pane, typed);
        pane.SendScintilla(S::SCI_COLOURISE, 0UL, -1L);
        const qsizetype position = pane.Text().indexOf(at);
        QVERIFY(position > 0);
        QCOMPARE(pane.SendScintilla(S::SCI_GETSTYLEAT, static_cast<unsigned long>(position)), style);
    }

    // Keys: \b Backspace, \n Enter, \x01 Shift+Left, \x02 a screen reader replaces
    // the first character with "ab"; anything else is typed.
    void accessibleOffsets_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("events");
        QTest::newRow("Backspace joins at a lone cr") << QStringLiteral("x\ry\nz") << "\b" << 2 << "-1:\r ^1";
        QTest::newRow("Enter after a lone cr, Backspace")
            << QStringLiteral("x\ry\nz") << "\n\b" << 2 << "+2:\n ^3 -1:\r\n ^1";
        QTest::newRow("Backspace takes a surrogate pair") << QStringLiteral(u"a😀b😀c") << "\b" << 6 << "-4:😀 ^4";
        QTest::newRow("a pair selected, typed over")
            << QStringLiteral(u"ab😀") << "\x01Z" << 4 << "[2,4] ^2 -2:😀 +2:Z [3,3] ^3";
        // Two bytes for two: the caret keeps its place in the buffer, not its offset.
        QTest::newRow("replaced before the caret") << QStringLiteral(u"é😀x") << "\x02" << 3 << "-0:é +0:ab ^4";
        QTest::newRow("crlf and pairs, typed")
            << QStringLiteral(u"日本\r\n😀語\r\n") << QStringLiteral(u"字\n") << 7 << "+7:字 ^8 +8:\n ^9";
    }

    void accessibleOffsets()
    {
        QFETCH(QString, text);
        QFETCH(QString, keys);
        QFETCH(int, caret);
        QFETCH(QString, events);
        SourcePane pane;
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        pane.SetText(text);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&pane);
        QVERIFY(iface && iface->textInterface() && iface->editableTextInterface());
        QAccessibleTextInterface *ti = iface->textInterface();
        ti->setCursorPosition(caret);
        // After every key, every offset agrees with the text the program reads.
        const auto agrees = [&] {
            const QString now = pane.Text();
            QCOMPARE(ti->characterCount(), now.size());
            static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
            QList<int> starts{0};
            for (const QRegularExpressionMatch &m : lineEnd.globalMatch(now))
                starts << int(m.capturedEnd());
            starts << int(now.size());
            for (qsizetype i = 0; i + 1 < starts.size(); ++i) {
                int start = -1, end = -1;
                const QString line = ti->textAtOffset(starts[i], QAccessible::LineBoundary, &start, &end);
                QCOMPARE(line, now.mid(starts[i], starts[i + 1] - starts[i]));
                QCOMPARE(QPair(start, end), QPair(starts[i], starts[i + 1]));
            }
        };
        static QStringList heard;
        heard.clear();
        QSignalSpy changes(&pane, &SourcePane::Change);
        // Text events derive from the caret event, which is told by its type.
        SourcePaneAccessible::setListener([](QAccessibleEvent *event) {
            if (const auto *e = dynamic_cast<QAccessibleTextInsertEvent *>(event))
                heard << QStringLiteral("+%1:%2").arg(e->changePosition()).arg(e->textInserted());
            else if (const auto *e = dynamic_cast<QAccessibleTextRemoveEvent *>(event))
                heard << QStringLiteral("-%1:%2").arg(e->changePosition()).arg(e->textRemoved());
            else if (const auto *e = dynamic_cast<QAccessibleTextSelectionEvent *>(event))
                heard << QStringLiteral("[%1,%2]").arg(e->selectionStart()).arg(e->selectionEnd());
            else if (event->type() == QAccessible::TextCaretMoved)
                heard << QStringLiteral("^%1").arg(static_cast<QAccessibleTextCursorEvent *>(event)->cursorPosition());
        });
        for (const QChar key : keys) {
            switch (key.unicode()) {
            case '\b': QTest::keyClick(&pane, Qt::Key_Backspace); break;
            case '\n': QTest::keyClick(&pane, Qt::Key_Return); break;
            case 1: QTest::keyClick(&pane, Qt::Key_Left, Qt::ShiftModifier); break;
            case 2: iface->editableTextInterface()->replaceText(0, 1, QStringLiteral("ab")); break;
            default: QTest::sendKeyEvent(QTest::Click, &pane, Qt::Key_unknown, QString(key), Qt::NoModifier);
            }
            agrees();
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(heard.join(QLatin1Char(' ')), events);
        QVERIFY(events.endsWith(QStringLiteral(" ^%1").arg(ti->cursorPosition())));
        // The program hears of each edit as screen readers do.
        QCOMPARE(changes.size(), heard.filter(QRegularExpression(QStringLiteral("^[-+]"))).size());
    }
};

int main(int argc, char *argv[])
{
    markloomtest::prepareEnvironment();
    QApplication app(argc, argv);
    TestSourcePane tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_sourcepane.moc"
