// Edit commands, the find dialog, the About box, the external browser and the
// toolbar, on a main window with scripted prompts and desktop services.

#include "app/markloomform.h"
#include "edit/aboutdialog.h"
#include "edit/findandreplacedialog.h"
#include "platform/sourcepane.h"
#include "platform/webbrowser.h"
#include "scriptedservices.h"
#include "support/testpages.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

using edittest::ScriptedPrompts;
using edittest::ScriptedShell;

namespace {

const QString kSearchEnded = QStringLiteral("検索が終了しました。");

QString selection(SourcePane *pane)
{
    return QStringLiteral("%1+%2").arg(pane->SelStart()).arg(pane->SelLength());
}

} // namespace

class TestEditWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void selectAll_data();
    void selectAll();
    void keystrokeReachesFocusedControl_data();
    void keystrokeReachesFocusedControl();

    void findSteps_data();
    void findSteps();
    void editingSourceKeepsSearchPosition();
    void seedingFromSelection();
    void historyOnEnter();
    void topmostAfterFirstSearch();
    void cancelDiscardsState();
    void findDialogTexts();

    void aboutStaysOneWindow();
    void externalBrowser();
    void toolbarRunsEveryCommand();

private:
    void showForm();
    FindAndReplaceDialog *openFind();

    std::unique_ptr<MarkloomForm> m_form;
    ScriptedPrompts *m_prompts = nullptr;
    ScriptedShell *m_shell = nullptr;
};

void TestEditWindows::init()
{
    m_form = std::make_unique<MarkloomForm>();
    installScripted(*m_form, m_prompts, m_shell);
}

void TestEditWindows::cleanup() { m_form.reset(); }

void TestEditWindows::showForm()
{
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

FindAndReplaceDialog *TestEditWindows::openFind()
{
    m_form->ID_Sch_Click();
    return m_form->findDialog();
}

void TestEditWindows::selectAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("length");
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("ascii") << QStringLiteral("<p>abc</p>") << 10;
    QTest::newRow("japanese and CRLF") << QStringLiteral("日本\r\n語") << 5;
    QTest::newRow("outside the BMP") << QStringLiteral("a\U0001F600") << 3;
}

void TestEditWindows::selectAll()
{
    QFETCH(QString, text);
    QFETCH(int, length);
    showForm();
    m_form->HTMLSorceText->SetText(text);
    m_form->HTMLSorceText->SetSelStart(qMin(1, length));
    m_form->AddressBarCombo->lineEdit()->setFocus();
    QTRY_VERIFY(m_form->AddressBarCombo->lineEdit()->hasFocus());

    m_form->ID_AllSel_Click();
    QCOMPARE(m_form->HTMLSorceText->SelStart(), 0);
    QCOMPARE(m_form->HTMLSorceText->SelLength(), length);
    QCOMPARE(m_form->HTMLSorceText->SelText(), text);
    QTRY_VERIFY(m_form->HTMLSorceText->hasFocus());
}

void TestEditWindows::keystrokeReachesFocusedControl_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("inPane"); // else the address bar
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("typed");        // typed before the command
    QTest::addColumn<QString>("expectedText"); // of the focused control
    QTest::addColumn<QString>("expectedClipboard");

    QTest::newRow("copy in the bar") << "ID_Copy" << false << "mltest://a/x" << 0 << 6 << "" << "mltest://a/x"
                                     << "mltest";
    QTest::newRow("copy in the pane") << "ID_Copy" << true << "<p>日本語</p>" << 3 << 3 << "" << "<p>日本語</p>"
                                      << "日本語";
    QTest::newRow("cut in the bar") << "ID_Cut" << false << "abcdef" << 2 << 2 << "" << "abef" << "cd";
    QTest::newRow("cut in the pane") << "ID_Cut" << true << "abcdef" << 2 << 2 << "" << "abef" << "cd";
    QTest::newRow("paste in the bar") << "ID_Pst" << false << "abcdef" << 2 << 2 << "" << "abCLIPef" << "CLIP";
    QTest::newRow("paste in the pane") << "ID_Pst" << true << "abcdef" << 2 << 2 << "" << "abCLIPef" << "CLIP";
    QTest::newRow("delete selection in the bar") << "ID_Del" << false << "abcdef" << 1 << 3 << "" << "aef" << "CLIP";
    QTest::newRow("delete selection in the pane") << "ID_Del" << true << "abcdef" << 1 << 3 << "" << "aef" << "CLIP";
    QTest::newRow("delete after the caret") << "ID_Del" << true << "abc" << 1 << 0 << "" << "ac" << "CLIP";
    QTest::newRow("undo in the pane") << "ID_Undo" << true << "abc" << 3 << 0 << "XY" << "abc" << "CLIP";
    QTest::newRow("undo in the bar") << "ID_Undo" << false << "abc" << 3 << 0 << "XY" << "abc" << "CLIP";
}

// The key arrives after the command has returned, at the control that had the
// focus; the other control is untouched.
void TestEditWindows::keystrokeReachesFocusedControl()
{
    QFETCH(QString, command);
    QFETCH(bool, inPane);
    QFETCH(QString, text);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(QString, typed);
    QFETCH(QString, expectedText);
    QFETCH(QString, expectedClipboard);

    showForm();
    QApplication::clipboard()->setText(QStringLiteral("CLIP"));
    SourcePane *pane = m_form->HTMLSorceText;
    QLineEdit *bar = m_form->AddressBarCombo->lineEdit();
    const QString otherText = QStringLiteral("untouched");
    pane->SetText(inPane ? text : otherText);
    m_form->AddressBarCombo->setEditText(inPane ? otherText : text);
    QWidget *target = inPane ? static_cast<QWidget *>(pane) : bar;
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    if (inPane) {
        pane->SetSelStart(selStart);
        pane->SetSelLength(selLength);
    } else {
        bar->setSelection(selStart, selLength);
        if (selLength == 0)
            bar->setCursorPosition(selStart);
    }
    if (!typed.isEmpty()) {
        // Both controls take back a run of typing in one undo step.
        QTest::keyClicks(target, typed);
    }
    auto current = [&] { return inPane ? pane->Text() : bar->text(); };
    const QString before = current();

    m_form->action(command)->trigger();
    QCOMPARE(current(), before); // not yet: the key is only posted
    QTRY_COMPARE(current(), expectedText);
    QTRY_COMPARE(QApplication::clipboard()->text(), expectedClipboard);
    QCOMPARE(inPane ? bar->text() : pane->Text(), otherText);
}

void TestEditWindows::findSteps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("needles"); // one per click
    QTest::addColumn<QStringList>("expected"); // selection "start+length" or "end"

    QTest::newRow("abcabc") << "abcabc" << QStringList(4, "abc") << QStringList{"0+3", "3+3", "end", "0+3"};
    QTest::newRow("hit on the last character") << "aa" << QStringList(4, "a")
                                               << QStringList{"0+1", "1+1", "end", "0+1"};
    QTest::newRow("overlapping") << "aaa" << QStringList(3, "aa") << QStringList{"0+2", "1+2", "end"};
    QTest::newRow("longer than the text") << "abc" << QStringList{"abcd", "abcd"} << QStringList{"end", "end"};
    QTest::newRow("case counts") << "abc" << QStringList{"ABC"} << QStringList{"end"};
    QTest::newRow("new text goes on from the last hit") << "abcabc" << QStringList{"abc", "c", "abc", "a"}
                                                         << QStringList{"0+3", "2+1", "3+3", "end"};
    QTest::newRow("japanese beside non-BMP") << "\U0001F600日本\U0001F600日本" << QStringList(3, "日本")
                                             << QStringList{"2+2", "6+2", "end"};
}

void TestEditWindows::findSteps()
{
    QFETCH(QString, text);
    QFETCH(QStringList, needles);
    QFETCH(QStringList, expected);
    SourcePane *pane = m_form->HTMLSorceText;
    pane->SetText(text);
    FindAndReplaceDialog *find = openFind();
    QVERIFY(find);
    int ends = 0;
    for (int i = 0; i < needles.size(); ++i) {
        const QString before = selection(pane);
        find->FindComb->setEditText(needles[i]);
        QTest::mouseClick(find->FindButton, Qt::LeftButton);
        if (expected[i] == QLatin1String("end")) {
            ++ends;
            QCOMPARE(selection(pane), before);
            QCOMPARE(find->searchPos(), 0);
        } else {
            QCOMPARE(selection(pane), expected[i]);
            QCOMPARE(find->searchPos(), pane->SelStart() + 2);
        }
        QCOMPARE(m_prompts->messages, QStringList(ends, kSearchEnded));
    }
    QVERIFY(m_prompts->messageParents.isEmpty() || m_prompts->messageParents.first() == find);
}

void TestEditWindows::editingSourceKeepsSearchPosition()
{
    SourcePane *pane = m_form->HTMLSorceText;
    pane->SetText(QStringLiteral("abcabc"));
    FindAndReplaceDialog *find = openFind();
    find->FindComb->setEditText(QStringLiteral("abc"));
    find->FindButton->click();
    QCOMPARE(find->searchPos(), 2);
    pane->SetText(QStringLiteral("abcxabc"));
    m_form->ID_Sch_Click(); // reopening keeps the position too
    QCOMPARE(find->searchPos(), 2);
    find->FindComb->setEditText(QStringLiteral("abc"));
    find->FindButton->click();
    QCOMPARE(selection(pane), QStringLiteral("4+3"));
}

void TestEditWindows::seedingFromSelection()
{
    showForm();
    SourcePane *pane = m_form->HTMLSorceText;
    pane->SetText(QStringLiteral("<p>日本語</p>"));
    pane->SetSelStart(3);
    pane->SetSelLength(2);
    FindAndReplaceDialog *find = openFind();
    QCOMPARE(find->FindComb->currentText(), QStringLiteral("日本"));
    QTRY_VERIFY(find->FindComb->lineEdit()->hasFocus());

    // Reopened while open: the same dialog, reseeded; nothing selected empties the box.
    find->FindComb->addItem(QStringLiteral("kept"));
    pane->SetSelStart(1);
    QCOMPARE(openFind(), find);
    QCOMPARE(find->FindComb->currentText(), QString());
    QCOMPARE(find->FindComb->count(), 1);
    // A window of its own, without an owner.
    QVERIFY(!find->parentWidget());
    QVERIFY(find->isWindow());
}

void TestEditWindows::historyOnEnter()
{
    showForm();
    SourcePane *pane = m_form->HTMLSorceText;
    pane->SetText(QStringLiteral("find me, find me"));
    FindAndReplaceDialog *find = openFind();
    QTRY_VERIFY(find->FindComb->lineEdit()->hasFocus());
    QTest::keyClicks(find->FindComb, QStringLiteral("find"));
    QTest::keyClick(find->FindComb, Qt::Key_Return);
    QTRY_VERIFY(find->FindButton->hasFocus());
    find->FindComb->lineEdit()->setFocus();
    QTRY_VERIFY(find->FindComb->lineEdit()->hasFocus());
    QTest::keyClick(find->FindComb, Qt::Key_Enter);
    find->FindComb->setEditText(QString());
    QTest::keyClick(find->FindComb, Qt::Key_Return);

    QCOMPARE(find->FindComb->count(), 3);
    QCOMPARE(find->FindComb->itemText(0), QStringLiteral("find"));
    QCOMPARE(find->FindComb->itemText(1), QStringLiteral("find"));
    QCOMPARE(find->FindComb->itemText(2), QString());
    // No search ran.
    QCOMPARE(selection(pane), QStringLiteral("0+0"));
    QCOMPARE(find->searchPos(), 0);
    QVERIFY(m_prompts->messages.isEmpty());

    // Enter on the find button, where the focus went, searches.
    find->FindComb->setEditText(QStringLiteral("find"));
    QTest::keyClick(find->FindComb, Qt::Key_Return);
    QTRY_VERIFY(find->FindButton->hasFocus());
    QTest::keyClick(find->FindButton, Qt::Key_Return);
    QCOMPARE(selection(pane), QStringLiteral("0+4"));
}

void TestEditWindows::topmostAfterFirstSearch()
{
    showForm();
    m_form->HTMLSorceText->SetText(QStringLiteral("ab"));
    FindAndReplaceDialog *find = openFind();
    QVERIFY(find->isVisible());
    QVERIFY(!find->isTopmost());

    find->FindComb->setEditText(QStringLiteral("b"));
    find->FindButton->click();
    QVERIFY(find->isTopmost());
    QVERIFY(find->isVisible());
    // The main window is activated and the pane has the focus.
    QTRY_VERIFY(m_form->HTMLSorceText->hasFocus());

    // The end notice is not hidden behind the dialog; afterwards it is on top again.
    bool topmostDuringMessage = true;
    m_prompts->onMessage = [&] { topmostDuringMessage = find->isTopmost(); };
    find->FindButton->click();
    QCOMPARE(m_prompts->messages.size(), 1);
    QVERIFY(!topmostDuringMessage);
    QVERIFY(find->isTopmost());
    QVERIFY(find->isVisible());
}

void TestEditWindows::cancelDiscardsState()
{
    m_form->HTMLSorceText->SetText(QStringLiteral("xx"));
    QPointer<FindAndReplaceDialog> find = openFind();
    find->FindComb->setEditText(QStringLiteral("x"));
    QTest::keyClick(find->FindComb, Qt::Key_Return);
    find->FindButton->click();
    QVERIFY(find->isTopmost());
    QTest::mouseClick(find->CancelButton, Qt::LeftButton);
    QVERIFY(!find->isVisible());
    QTRY_VERIFY(find.isNull());
    QVERIFY(!m_form->findDialog());

    FindAndReplaceDialog *again = openFind();
    QCOMPARE(again->searchPos(), 0);
    QCOMPARE(again->FindComb->count(), 0);
    QVERIFY(!again->isTopmost());

    // The close box unloads it as well.
    QPointer<FindAndReplaceDialog> closing = again;
    again->close();
    QTRY_VERIFY(closing.isNull());
}

void TestEditWindows::findDialogTexts()
{
    FindAndReplaceDialog *find = openFind();
    QCOMPARE(find->windowTitle(), QStringLiteral("検索"));
    QCOMPARE(find->FindButton->text(), QStringLiteral("検索"));
    QCOMPARE(find->CancelButton->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    QCOMPARE(find->FindAndReplaceTabStrip->count(), 1);
    QCOMPARE(find->FindAndReplaceTabStrip->tabText(0), QStringLiteral("検索"));
    QCOMPARE(find->FindAndReplaceTabStrip->tabData(0).toString(), QStringLiteral("FinedKey"));
    // The search box fits over the tab strip's panel, left of the buttons.
    QVERIFY(find->rect().contains(find->FindComb->geometry()));
    QVERIFY(find->FindComb->geometry().right() < find->FindButton->geometry().left());
}

void TestEditWindows::aboutStaysOneWindow()
{
    showForm();
    m_form->ID_About_Click();
    QPointer<AboutDialog> about = m_form->aboutDialog();
    QVERIFY(about && about->isVisible());
    m_form->action(QStringLiteral("ID_About"))->trigger();
    QCOMPARE(m_form->aboutDialog(), about.data());
    int shown = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        shown += qobject_cast<AboutDialog *>(w) && w->isVisible() ? 1 : 0;
    QCOMPARE(shown, 1);

    QCOMPARE(about->windowTitle(), QStringLiteral("Markloom"));
    QCOMPARE(about->AboutLabel->text(), QString::fromUtf8("Markloom\xe3\x80\x80Ver0.04\xce\xb2"));
    QCOMPARE(about->MenshoLabel->text(), QStringLiteral("免責"));
    QCOMPARE(about->OKButton->text(), QStringLiteral("OK"));
    QVERIFY(!about->MenLabel->text().isEmpty());
    QVERIFY(about->rect().contains(about->MenLabel->geometry()));

    // Modeless: the main window keeps working.
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!about->isModal());
    m_form->HTMLSorceText->SetText(QStringLiteral("abc"));
    m_form->ID_AllSel_Click();
    QCOMPARE(m_form->HTMLSorceText->SelLength(), 3);

    QTest::mouseClick(about->OKButton, Qt::LeftButton);
    QTRY_VERIFY(about.isNull());
    QVERIFY(!m_form->aboutDialog());
}

// Whatever the bar shows goes, typed but not visited text included; each
// command opens one more window; a refusal is reported and nothing else.
void TestEditWindows::externalBrowser()
{
    showForm();
    m_form->AddressBarCombo->setEditText(QStringLiteral("example.org/a b"));
    m_form->ID_IEVIEW_Click();
    m_form->action(QStringLiteral("ID_IEVIEW"))->trigger();
    const QUrl expected = WebBrowser::urlFromUserInput(QStringLiteral("example.org/a b"));
    QCOMPARE(expected.host(), QStringLiteral("example.org"));
    QCOMPARE(m_shell->openedUrls, (QList<QUrl>{expected, expected}));
    QVERIFY(m_prompts->messages.isEmpty());

    m_shell->answer = false;
    m_form->ID_IEVIEW_Click();
    QCOMPARE(m_shell->openedUrls.size(), 3);
    QCOMPARE(m_prompts->messages.size(), 1);
    QVERIFY(m_form->isVisible());

    // The options entry cannot be chosen and does nothing.
    QAction *option = m_form->action(QStringLiteral("IE_Option"));
    QVERIFY(!option->isEnabled());
    option->trigger();
    m_form->IE_Option_Click();
    QCOMPARE(m_shell->openedUrls.size(), 3);
    QVERIFY(m_shell->starts.isEmpty() && m_shell->openedFolders.isEmpty());
    QCOMPARE(m_prompts->messages.size(), 1);
}

// Each button runs its command through its own action (and so do indexes out
// of range, which open the external browser).
void TestEditWindows::toolbarRunsEveryCommand()
{
    showForm();
    SourcePane *pane = m_form->HTMLSorceText;
    auto press = [this](const char *key) {
        QAction *button = m_form->action(QString::fromLatin1(key));
        QVERIFY2(button && button->isEnabled(), key);
        button->trigger();
    };
    QApplication::clipboard()->setText(QStringLiteral("CLIP"));
    pane->SetText(QStringLiteral("abcdef"));
    pane->setFocus();
    QTRY_VERIFY(pane->hasFocus());

    press("Save_Button"); // never saved: the save dialog
    QCOMPARE(m_prompts->saveCalls.size(), 1);

    pane->SetSelStart(1);
    pane->SetSelLength(1);
    press("Copy_Button");
    QTRY_COMPARE(QApplication::clipboard()->text(), QStringLiteral("b"));
    press("Cut_Button");
    QTRY_COMPARE(pane->Text(), QStringLiteral("acdef"));
    press("Past_Button");
    QTRY_COMPARE(pane->Text(), QStringLiteral("abcdef"));
    press("Back_Button");
    QTRY_COMPARE(pane->Text(), QStringLiteral("acdef"));
    pane->SetSelStart(0);
    press("Del_Button");
    QTRY_COMPARE(pane->Text(), QStringLiteral("cdef"));

    pane->SetSelStart(1);
    pane->SetSelLength(2);
    press("Sch_Button");
    QVERIFY(m_form->findDialog() && m_form->findDialog()->isVisible());
    QCOMPARE(m_form->findDialog()->FindComb->currentText(), QStringLiteral("de"));

    m_form->AddressBarCombo->setEditText(QStringLiteral("mltest://a/page"));
    press("IE_Button");
    m_form->MainFormToolbar_ButtonClick(0);
    m_form->MainFormToolbar_ButtonClick(11);
    QCOMPARE(m_shell->openedUrls, QList<QUrl>(3, QUrl(QStringLiteral("mltest://a/page"))));

    // Home empties the pane and switches the page commands off; stop switches
    // them on again at once.
    press("home_Button");
    QCOMPARE(pane->Text(), QString());
    QVERIFY(!m_form->action(QStringLiteral("Save_Button"))->isEnabled());
    QVERIFY(!m_form->action(QStringLiteral("ID_Save"))->isEnabled());
    press("Stop_Button1");
    QVERIFY(m_form->action(QStringLiteral("Save_Button"))->isEnabled());
    QVERIFY(m_form->action(QStringLiteral("ID_Save"))->isEnabled());
    QVERIFY(m_prompts->messages.isEmpty());
}

MARKLOOM_UI_TEST_MAIN(TestEditWindows)
#include "tst_editwindows.moc"
