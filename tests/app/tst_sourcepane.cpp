// The source pane keeps text byte-exact and counts positions in UTF-16 units,
// for the program and for screen readers.

#include "platform/sourcepane.h"
#include "platform/sourcepaneaccessible.h"
#include "support/testenv.h"

#include <QAccessible>
#include <Qsci/qscilexerhtml.h>
#include <QApplication>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using S = QsciScintillaBase;

// Qt's own boundary rules over a whole text: what a screen reader expects.
class Whole final : public QAccessibleTextInterface
{
public:
    explicit Whole(const QString &text) : m_text(text) {}
    QString text(int startOffset, int endOffset) const override { return m_text.mid(startOffset, endOffset - startOffset); }
    int characterCount() const override { return int(m_text.size()); }
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *startOffset, int *endOffset) const override { return *startOffset = *endOffset = 0, QString(); }

private:
    QString m_text;
};

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
        QVERIFY(QTest::qWaitForWindowExposed(&pane, 30000));
        pane.viewport()->repaint();
        const auto x = [&pane](long position) { return pane.SendScintilla(S::SCI_POINTXFROMPOSITION, 0UL, position); };
        const long longest = x(pane.SendScintilla(S::SCI_GETLINEENDPOSITION, 0UL)) - x(0);
        const long width = pane.SendScintilla(S::SCI_GETSCROLLWIDTH);
        QVERIFY(width >= longest && width < longest + 300);
    }

    // After the wrap switch, a page set over another and an undo of a whole
    // replacement, the scroll bar shows the column the view is at; after the
    // undo the caret is in view with the text before it, on a coloured line too.
    void scrollBarFollowsTheView()
    {
        SourcePane pane;
        pane.resize(300, 200);
        pane.SetSyntaxColour(true);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane, 30000));
        const QString run = QStringLiteral("<p>") + QStringLiteral("<b class=x>word</b> ").repeated(20000) + QStringLiteral("</p>");
        const QString longLine = run + QStringLiteral("\nshort\n") + run; // an undo ends at the end of the last
        const auto agrees = [&pane](const char *step) {
            pane.viewport()->repaint();
            QVERIFY2(pane.horizontalScrollBar()->value() == pane.SendScintilla(S::SCI_GETXOFFSET), step);
        };
        pane.SetText(longLine);
        pane.SendScintilla(S::SCI_LINEEND);
        pane.viewport()->repaint();
        QVERIFY(pane.SendScintilla(S::SCI_GETXOFFSET) > 1000);
        agrees("scrolled to the end");
        pane.setWrapMode(QsciScintilla::WrapWord);
        agrees("wrapped");
        pane.setWrapMode(QsciScintilla::WrapNone);
        agrees("unwrapped");
        pane.SendScintilla(S::SCI_LINEEND);
        pane.ReplaceText(QStringLiteral("x\n"));
        agrees("replaced");
        pane.undo();
        agrees("undone");
        const long caretX = pane.SendScintilla(S::SCI_POINTXFROMPOSITION, 0UL, pane.SendScintilla(S::SCI_GETCURRENTPOS));
        QVERIFY2(caretX >= pane.viewport()->width() / 4 && caretX <= pane.viewport()->width(), // the text before it too
                 qPrintable(QString::number(caretX)));
        pane.SetText(QStringLiteral("other\n"));
        agrees("another page");
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

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");   // as the keyboard gives it
        QTest::addColumn<QString>("after");  // the pane's text afterwards, from "ab" with the caret at the end
        QTest::addColumn<bool>("toWindow");  // the key went on to the window
        const int none = Qt::NoModifier, alt = Qt::AltModifier, ctrl = Qt::ControlModifier;
        QTest::newRow("a letter types") << int(Qt::Key_Q) << none << "q" << "abq" << false;
        QTest::newRow("shifted, too") << int(Qt::Key_Q) << int(Qt::ShiftModifier) << "Q" << "abQ" << false;
        QTest::newRow("Alt+Q") << int(Qt::Key_Q) << alt << "q" << "ab" << true;
        QTest::newRow("Alt+Shift+O") << int(Qt::Key_O) << int(alt | Qt::ShiftModifier) << "O" << "ab" << true;
        QTest::newRow("Ctrl+,") << int(Qt::Key_Comma) << ctrl << "," << "ab" << true;
        QTest::newRow("Meta+V") << int(Qt::Key_V) << int(Qt::MetaModifier) << "v" << "ab" << true;
        QTest::newRow("Ctrl+Alt+E") << int(Qt::Key_E) << int(ctrl | alt) << "e" << "ab" << true;
        // Chords the editor has a command for stay its own.
        QTest::newRow("Ctrl+Backspace deletes a word") << int(Qt::Key_Backspace) << ctrl << "" << "" << false;
        QTest::newRow("Tab types a tab") << int(Qt::Key_Tab) << none << "\t" << "ab\t" << false;
    }

    // Keys type only text: a chord no command takes inserts nothing, leaves
    // the pane unmodified and reaches the window, where its shortcuts are.
    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(QString, after);
        QFETCH(bool, toWindow);
        QWidget window;
        auto *pane = new SourcePane(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window, 30000));
        pane->SetText(QStringLiteral("ab"));
        pane->SetSelStart(2);
        pane->setFocus();
        struct Heard : QObject {
            QList<int> keys; // the modifier keys pressed for the chord come too
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() == QEvent::KeyPress)
                    keys << static_cast<QKeyEvent *>(e)->key();
                return false;
            }
        } heard;
        window.installEventFilter(&heard);
        QTest::sendKeyEvent(QTest::Click, pane, Qt::Key(key), text, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(pane->Text(), after);
        QCOMPARE(pane->isModified(), after != QLatin1String("ab"));
        QCOMPARE(heard.keys.contains(key), toWindow);
    }

    // Every boundary a screen reader asks for comes out as Qt's own rules give
    // it over the whole text, at the start, past 10,000 and at the end of a
    // long text with CR LF, pairs and sentences.
    void accessibleBoundaries()
    {
        QString text;
        for (int i = 0; text.size() < 50000; ++i) {
            text += QStringLiteral(u"Word%1 😀 日本語 and more. ").arg(i);
            if (i % 5 == 4 && (i < 600 || i > 1000)) // and one line of some 11,000
                text += QStringLiteral("\r\n");
        }
        SourcePane pane;
        pane.SetText(text);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&pane);
        QAccessibleTextInterface *ti = iface->textInterface();
        const Whole whole(text);
        QStringList wrong;
        const int count = int(text.size());
        for (const int at : {0, 1, 7, 9999, 10000, 10003, 10017, 12345, 25000, 25001, count - 12, count - 1, count}) {
            for (const auto type : {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary,
                                    QAccessible::LineBoundary}) {
                for (int side = 0; side < 3; ++side) {
                    int s0 = -1, e0 = -1, s1 = -1, e1 = -1;
                    // Qt's own rules never return from the sentence at the very end: nothing is there.
                    const bool endless = at == count && side == 1 && type == QAccessible::SentenceBoundary;
                    const QString expected = endless     ? QString()
                                             : side == 0 ? whole.textBeforeOffset(at, type, &s0, &e0)
                                             : side == 1 ? whole.textAtOffset(at, type, &s0, &e0)
                                                         : whole.textAfterOffset(at, type, &s0, &e0);
                    const QString got = side == 0   ? ti->textBeforeOffset(at, type, &s1, &e1)
                                        : side == 1 ? ti->textAtOffset(at, type, &s1, &e1)
                                                    : ti->textAfterOffset(at, type, &s1, &e1);
                    // Nothing there: Qt's rules may leave one end at -1 and the other not.
                    if (expected.isEmpty() && (s0 < 0 || e0 < 0))
                        s0 = e0 = -1;
                    if (got != expected || s1 != s0 || e1 != e0)
                        wrong << QStringLiteral("at %1, type %2, side %3: [%4,%5] for [%6,%7] \"%8\"")
                                     .arg(at).arg(int(type)).arg(side).arg(s1).arg(e1).arg(s0).arg(e0).arg(expected.left(30));
                }
            }
        }
        QCOMPARE(wrong.mid(0, 8), QStringList());
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
        QVERIFY(QTest::qWaitForWindowExposed(&pane, 30000));
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

MARKLOOM_TEST_MAIN_WITH(TestSourcePane, QApplication)
#include "tst_sourcepane.moc"
