// Edit commands, the find dialog, the About box, the external browser and the
// toolbar, on a shown main window with scripted prompts and desktop services.

#include "app/markloomform.h"
#include "edit/aboutdialog.h"
#include "edit/findandreplacedialog.h"
#include "platform/sourcepane.h"
#include "settings/settingdialog.h"
#include "platform/webbrowser.h"
#include "support/scripted.h"
#include "support/testpages.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

static QString selection(SourcePane *pane)
{
    return QStringLiteral("%1+%2").arg(pane->SelStart()).arg(pane->SelLength());
}

class TestEditWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void keystrokeReachesFocusedControl_data();
    void keystrokeReachesFocusedControl();
    void findSteps_data();
    void findSteps();
    void findAgainWithTheWindowClosed();
    void enterSearchesAndKeepsTheKeyboard();
    void topmostAfterFirstSearchUntilCancel();
    void aboutStaysOneWindow();
    void toolbarRunsEveryCommand();
    void keys_data();
    void keys();

private:
    FindAndReplaceDialog *openFind()
    {
        m_form->action(QStringLiteral("ID_Sch"))->trigger();
        return m_form->findDialog();
    }

    std::unique_ptr<MarkloomForm> m_form;
    SourcePane *m_pane = nullptr;
    markloomtest::ScriptedPrompts *m_prompts = nullptr;
    markloomtest::ScriptedShell *m_shell = nullptr;
};

void TestEditWindows::init()
{
    m_form = std::make_unique<MarkloomForm>();
    m_pane = m_form->HTMLSorceText;
    const auto scripted = markloomtest::installScripted(*m_form);
    m_prompts = scripted.prompts;
    m_shell = scripted.shell;
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QApplication::clipboard()->setText(QStringLiteral("CLIP"));
}

void TestEditWindows::cleanup() { m_form.reset(); }

void TestEditWindows::keystrokeReachesFocusedControl_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("inPane"); // else the address bar
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QString>("expectedClipboard");
    QTest::newRow("copy in the bar") << "ID_Copy" << false << "mltest://a" << 0 << 6 << "mltest://a" << "mltest";
    QTest::newRow("cut in the pane") << "ID_Cut" << true << "a日本語" << 1 << 2 << "a語" << "日本";
    QTest::newRow("paste in the bar") << "ID_Pst" << false << "abcdef" << 2 << 2 << "abCLIPef" << "CLIP";
    QTest::newRow("paste in the pane") << "ID_Pst" << true << "abcdef" << 2 << 2 << "abCLIPef" << "CLIP";
    QTest::newRow("delete in the bar") << "ID_Del" << false << "abcdef" << 1 << 3 << "aef" << "CLIP";
    QTest::newRow("delete after the caret") << "ID_Del" << true << "abc" << 1 << 0 << "ac" << "CLIP";
    QTest::newRow("undo in the pane") << "ID_Undo" << true << "abc" << 3 << 0 << "abc" << "CLIP";
    QTest::newRow("undo in the bar") << "ID_Undo" << false << "abc" << 3 << 0 << "abc" << "CLIP";
    QTest::newRow("select all, empty") << "ID_AllSel" << true << "" << 0 << 0 << "" << "CLIP";
    QTest::newRow("select all") << "ID_AllSel" << true << "日本\r\n\U0001F600" << 1 << 0 << "日本\r\n\U0001F600"
                                << "CLIP";
}

// The key arrives after the command has returned, at the control that had the
// focus; the other control is untouched. Select All always takes the pane.
void TestEditWindows::keystrokeReachesFocusedControl()
{
    QFETCH(QString, command);
    QFETCH(bool, inPane);
    QFETCH(QString, text);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(QString, expectedText);
    QFETCH(QString, expectedClipboard);
    const bool selectAll = command == QLatin1String("ID_AllSel");
    QLineEdit *bar = m_form->AddressBarCombo->lineEdit();
    const QString otherText = QStringLiteral("untouched");
    m_pane->SetText(inPane ? text : otherText);
    m_form->AddressBarCombo->setEditText(inPane ? otherText : text);
    QWidget *target = inPane && !selectAll ? static_cast<QWidget *>(m_pane) : bar;
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    m_pane->SetSelStart(selStart);
    m_pane->SetSelLength(selLength);
    bar->setSelection(selStart, selLength);
    if (command == QLatin1String("ID_Undo"))
        QTest::keyClicks(target, QStringLiteral("XY")); // both controls undo a run of typing in one step
    const QString before = inPane ? m_pane->Text() : bar->text();

    m_form->action(command)->trigger();
    if (selectAll) {
        QCOMPARE(selection(m_pane), QStringLiteral("0+%1").arg(text.size()));
        QTRY_VERIFY(m_pane->hasFocus());
    }
    QCOMPARE(inPane ? m_pane->Text() : bar->text(), before); // not yet: the key is only posted
    QTRY_COMPARE(inPane ? m_pane->Text() : bar->text(), expectedText);
    QTRY_COMPARE(QApplication::clipboard()->text(), expectedClipboard);
    QCOMPARE(inPane ? bar->text() : m_pane->Text(), otherText);
}

void TestEditWindows::findSteps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("changedText"); // replaces the text after the first click when not empty
    QTest::addColumn<QStringList>("needles"); // one per click
    QTest::addColumn<QStringList>("expected"); // selection "start+length", "end" or "nowhere"
    const QString same;
    QTest::newRow("abcabc") << "abcabc" << same << QStringList(4, "abc") << QStringList{"0+3", "3+3", "end", "0+3"};
    QTest::newRow("hit on the last character") << "aa" << same << QStringList(3, "a")
                                               << QStringList{"0+1", "1+1", "end"};
    QTest::newRow("longer than the text") << "abc" << same << QStringList(2, "abcd")
                                          << QStringList{"nowhere", "nowhere"};
    QTest::newRow("case counts") << "abc" << same << QStringList{"ABC"} << QStringList{"nowhere"};
    QTest::newRow("changed text ends the pass") << "abcx" << same << QStringList{"b", "a"} << QStringList{"1+1", "end"};
    QTest::newRow("changed text found nowhere") << "abcx" << same << QStringList{"b", "z"}
                                                << QStringList{"1+1", "nowhere"};
    QTest::newRow("text changed between clicks") << "abcabc" << "abcxabc" << QStringList(2, "abc")
                                                 << QStringList{"0+3", "4+3"};
    QTest::newRow("japanese beside non-BMP") << "\U0001F600日本\U0001F600日本" << same << QStringList(3, "日本")
                                             << QStringList{"2+2", "6+2", "end"};
}

void TestEditWindows::findSteps()
{
    QFETCH(QString, text);
    QFETCH(QString, changedText);
    QFETCH(QStringList, needles);
    QFETCH(QStringList, expected);
    m_pane->SetText(text);
    FindAndReplaceDialog *find = openFind();
    QVERIFY(find);
    QStringList messages;
    for (int i = 0; i < needles.size(); ++i) {
        const QString before = selection(m_pane);
        find->FindComb->setEditText(needles[i]);
        QTest::mouseClick(find->FindButton, Qt::LeftButton);
        const bool end = expected[i] == QLatin1String("end") || expected[i] == QLatin1String("nowhere");
        if (end) // "nowhere": a pass from the top found nothing at all
            messages << (expected[i] == QLatin1String("end") ? QStringLiteral("検索が終了しました。")
                                                              : QStringLiteral("\"%1\"は見つかりません。").arg(needles[i]));
        QCOMPARE(selection(m_pane), end ? before : expected[i]);
        QCOMPARE(find->searchPos(), end ? 0 : m_pane->SelStart() + 2);
        QCOMPARE(m_prompts->messages, messages);
        if (i == 0 && !changedText.isEmpty()) {
            m_pane->SetText(changedText);
            QCOMPARE(openFind(), find); // reopening keeps the position too
        }
    }
}

// With the find window closed, 次を検索 goes on with its last text from the
// caret, past a hit selected there, and starts from the top after the end.
void TestEditWindows::findAgainWithTheWindowClosed()
{
    m_pane->SetText(QStringLiteral("ab ab ab"));
    FindAndReplaceDialog *find = openFind();
    find->FindComb->setEditText(QStringLiteral("ab"));
    find->FindButton->click();
    find->CancelButton->click();
    QTRY_VERIFY(!m_form->findDialog());
    QStringList steps; // from the hit still selected
    for (int i = 0; i < 4; ++i) {
        m_form->action(QStringLiteral("ID_SchNext"))->trigger();
        steps << selection(m_pane);
    }
    QCOMPARE(steps, (QStringList{"3+2", "6+2", "6+2", "0+2"}));
    QCOMPARE(m_prompts->messages, QStringList{QStringLiteral("検索が終了しました。")});
    QVERIFY(!m_form->findDialog());
}

// Enter in the search box files the text once and searches at once; the
// keyboard stays in the dialog, so the next Enter finds the next hit and
// never types over the one selected.
void TestEditWindows::enterSearchesAndKeepsTheKeyboard()
{
    const QString text = QStringLiteral("find me, find me");
    m_pane->SetText(text);
    m_pane->SetSelStart(5);
    m_pane->SetSelLength(2);
    FindAndReplaceDialog *find = openFind();
    QVERIFY(find->isWindow() && !find->parentWidget());
    QCOMPARE(find->FindComb->currentText(), QStringLiteral("me"));
    QVERIFY(QTest::qWaitForWindowActive(find));
    QTRY_VERIFY(find->FindComb->lineEdit()->hasFocus());
    m_pane->SetSelStart(1); // reopened with nothing selected: the same dialog, emptied
    QCOMPARE(openFind(), find);
    QCOMPARE(find->FindComb->currentText(), QString());

    QTest::keyClicks(find->FindComb, QStringLiteral("find"));
    QTest::keyClick(find->FindComb, Qt::Key_Return);
    QCOMPARE(selection(m_pane), QStringLiteral("0+4"));
    QCoreApplication::processEvents(); // a window activated by the hit would take the keys from here on
    QVERIFY(find->FindComb->lineEdit()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(selection(m_pane), QStringLiteral("9+4"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    QCOMPARE(m_prompts->messages, QStringList{QStringLiteral("検索が終了しました。")});
    QVERIFY(find->FindComb->lineEdit()->hasFocus());
    QCOMPARE(m_pane->Text(), text);
    QCOMPARE(find->FindComb->count(), 1); // filed once for the text typed
    find->FindComb->setEditText(QString()); // a new text is filed again, empty too
    QTest::keyClick(find->FindComb, Qt::Key_Return);
    QCOMPARE(find->FindComb->count(), 2);
    QCOMPARE(find->FindComb->itemText(1), QString());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!m_form->findDialog());
}

void TestEditWindows::topmostAfterFirstSearchUntilCancel()
{
    m_pane->SetText(QStringLiteral("ab"));
    QPointer<FindAndReplaceDialog> find = openFind();
    QVERIFY(find->isVisible() && !find->isTopmost());
    find->FindComb->setEditText(QStringLiteral("b"));
    find->FindButton->click();
    QVERIFY(find->isTopmost() && find->isVisible());

    // The end notice is not hidden behind the dialog; afterwards it is on top again.
    bool topmostDuringMessage = true;
    m_prompts->onMessage = [&] { topmostDuringMessage = find->isTopmost(); };
    find->FindButton->click();
    QCOMPARE(m_prompts->messages.size(), 1);
    QVERIFY(!topmostDuringMessage && find->isTopmost() && find->isVisible());

    // Cancel unloads it: the next one starts afresh.
    find->FindComb->addItem(QStringLiteral("history"));
    QTest::mouseClick(find->CancelButton, Qt::LeftButton);
    QTRY_VERIFY(find.isNull());
    FindAndReplaceDialog *again = openFind();
    QVERIFY(again->searchPos() == 0 && again->FindComb->count() == 0 && !again->isTopmost());
}

// Modeless, one window however often it is asked for; OK and Esc close it.
void TestEditWindows::aboutStaysOneWindow()
{
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Escape}) {
        m_form->action(QStringLiteral("ID_About"))->trigger();
        QPointer<AboutDialog> about = m_form->aboutDialog();
        m_form->action(QStringLiteral("ID_About"))->trigger();
        QVERIFY(m_form->aboutDialog() == about && about->isVisible() && !QApplication::activeModalWidget());
        QVERIFY(QTest::qWaitForWindowActive(about));
        QTest::keyClick(about->OKButton, key);
        QTRY_VERIFY(about.isNull() && !m_form->aboutDialog());
    }
}

// Each button runs its command through its own action; indexes out of range
// open the external browser.
void TestEditWindows::toolbarRunsEveryCommand()
{
    auto press = [this](const char *key) {
        QAction *button = m_form->action(QString::fromLatin1(key));
        QVERIFY2(button && button->isEnabled(), key);
        button->trigger();
    };
    m_pane->SetText(QStringLiteral("abcdef"));
    m_pane->setFocus();
    QTRY_VERIFY(m_pane->hasFocus());
    press("Save_Button"); // never saved: the save dialog
    QCOMPARE(m_prompts->saveInitialNames.size(), 1);
    m_pane->SetSelStart(1);
    m_pane->SetSelLength(1);
    press("Copy_Button");
    QTRY_COMPARE(QApplication::clipboard()->text(), QStringLiteral("b"));
    press("Cut_Button");
    QTRY_COMPARE(m_pane->Text(), QStringLiteral("acdef"));
    press("Past_Button");
    QTRY_COMPARE(m_pane->Text(), QStringLiteral("abcdef"));
    press("Back_Button");
    QTRY_COMPARE(m_pane->Text(), QStringLiteral("acdef"));
    m_pane->SetSelStart(0);
    press("Del_Button");
    QTRY_COMPARE(m_pane->Text(), QStringLiteral("cdef"));
    m_pane->SetSelStart(1);
    m_pane->SetSelLength(2);
    press("Sch_Button");
    QCOMPARE(m_form->findDialog()->FindComb->currentText(), QStringLiteral("de"));

    // The bar's text goes as it is, typed but not visited; a refusal is reported.
    m_form->AddressBarCombo->setEditText(QStringLiteral("example.org/a b"));
    press("IE_Button");
    const QUrl url = WebBrowser::urlFromUserInput(QStringLiteral("example.org/a b"));
    QCOMPARE(url.host(), QStringLiteral("example.org"));
    QCOMPARE(m_shell->openedUrls, QList<QUrl>{url});
    QVERIFY(m_prompts->messages.isEmpty());
    m_shell->answer = false;
    m_form->action(QStringLiteral("ID_IEVIEW"))->trigger();
    QCOMPARE(m_prompts->messages.size(), 1);
    // The options entry cannot be chosen.
    QVERIFY(!m_form->action(QStringLiteral("IE_Option"))->isEnabled());

    // Home asks about the edits; then it empties the pane and switches the
    // page commands off; stop switches them on again at once.
    press("home_Button");
    QCOMPARE(m_prompts->saveQuestions, 1);
    QCOMPARE(m_pane->Text(), QStringLiteral("cdef"));
    m_prompts->saveQuestionAnswers << unsaved::Answer::Discard;
    press("home_Button");
    QCOMPARE(m_pane->Text(), QString());
    QVERIFY(!m_form->action(QStringLiteral("Save_Button"))->isEnabled());
    QVERIFY(!m_form->action(QStringLiteral("ID_Save"))->isEnabled());
    press("Stop_Button1");
    QVERIFY(m_form->action(QStringLiteral("Save_Button"))->isEnabled());
    QVERIFY(m_form->action(QStringLiteral("ID_Save"))->isEnabled());
}

void TestEditWindows::keys_data()
{
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<QString>("effect");
    const auto row = [](const char *key, const char *effect) {
        QTest::addRow("%s: %s", key, effect) << QKeySequence(QString::fromLatin1(key)) << QString::fromLatin1(effect);
    };
    row("Ctrl+S", "save dialog");
    row("Ctrl+Shift+S", "save dialog");
    row("Ctrl+N", "new copy");
    row("Ctrl+W", "closed");
    row("Ctrl+F", "find");
    row("F3", "find");
    row("Ctrl+,", "settings");
    row("Alt+Home", "home");
    for (const char *key : {"Ctrl+L", "Alt+D", "F6"})
        row(key, "address bar");
    row("Ctrl+V", "pasted once");
    row("Ctrl+D", "nothing");
}

// Pressed in the pane: each key runs its command; the pane's own line
// commands no longer surprise; an edit key acts once, as the pane's own.
void TestEditWindows::keys()
{
    QFETCH(QKeySequence, key);
    QFETCH(QString, effect);
    m_pane->SetText(QStringLiteral("abc"));
    m_form->AddressBarCombo->setEditText(QStringLiteral("mltest://a/"));
    m_pane->setFocus();
    QTRY_VERIFY(m_pane->hasFocus());
    QTest::keySequence(m_pane, key);
    const QString text = m_pane->Text();
    if (effect == QLatin1String("save dialog"))
        QCOMPARE(m_prompts->saveInitialNames.size(), 1);
    else if (effect == QLatin1String("new copy"))
        QCOMPARE(m_shell->starts.size(), 1);
    else if (effect == QLatin1String("closed"))
        QVERIFY(!m_form->isVisible());
    else if (effect == QLatin1String("find"))
        QVERIFY(m_form->findDialog() && m_form->findDialog()->isVisible());
    else if (effect == QLatin1String("settings"))
        QVERIFY(m_form->settingDialog() && m_form->settingDialog()->isVisible());
    else if (effect == QLatin1String("home"))
        QVERIFY(text.isEmpty() && !m_form->action(QStringLiteral("ID_Save"))->isEnabled());
    else if (effect == QLatin1String("address bar"))
        QTRY_VERIFY(m_form->AddressBarCombo->lineEdit()->hasFocus()
                    && m_form->AddressBarCombo->lineEdit()->selectedText() == QLatin1String("mltest://a/"));
    else if (effect == QLatin1String("pasted once"))
        QTRY_COMPARE(m_pane->Text(), QStringLiteral("CLIPabc"));
    if (effect != QLatin1String("home") && effect != QLatin1String("pasted once"))
        QCOMPARE(text, QStringLiteral("abc"));
    // The menus show every key, edit keys included.
    if (effect == QLatin1String("nothing")) {
        QStringList shown;
        for (QAction *menu : m_form->menuBar()->actions())
            for (QAction *item : menu->menu()->actions())
                shown << item->text().section(QLatin1Char('\t'), 1) + item->shortcut().toString();
        QCOMPARE(shown.join(QLatin1Char(' ')).simplified(),
                 QStringLiteral("Ctrl+N Ctrl+S Ctrl+Shift+S Ctrl+W Ctrl+Z Ctrl+V Ctrl+X Ctrl+C Del Ctrl+A Ctrl+F F3 F5 Ctrl+R Ctrl+Shift+F Ctrl+,"));
    }
}

MARKLOOM_UI_TEST_MAIN(TestEditWindows)
#include "tst_editwindows.moc"
