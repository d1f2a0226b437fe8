// Edit commands, the find dialog, the About box, the external browser, the
// toolbar and the unsaved-edits question, on a shown main window with scripted
// prompts and desktop services; no page is ever loaded.

#include "analysis/analysisrules.h"
#include "app/markloomform.h"
#include "edit/aboutdialog.h"
#include "edit/findandreplacedialog.h"
#include "favorites/favform.h"
#include "platform/sourcepane.h"
#include "platform/webbrowser.h"
#include "settings/settingdialog.h"
#include "support/scripted.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

Q_DECLARE_METATYPE(unsaved::Answer)

static QString selection(SourcePane *pane)
{
    return QStringLiteral("%1+%2").arg(pane->SelStart()).arg(pane->SelLength());
}

class TestEditWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_form = std::make_unique<MarkloomForm>();
        m_pane = m_form->HTMLSorceText;
        const auto scripted = markloomtest::installScripted(*m_form);
        m_prompts = scripted.prompts;
        m_shell = scripted.shell;
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get(), 30000));
        QApplication::clipboard()->setText(QStringLiteral("CLIP"));
    }

    void cleanup() { m_form.reset(); }

    void keystrokeReachesFocusedControl_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("inPane"); // else the address bar
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("expectedText");
        QTest::addColumn<QString>("expectedClipboard");
        // Menu items and the toolbar's buttons alike.
        QTest::newRow("copy in the bar") << "ID_Copy" << false << "mltest://a" << 0 << 6 << "mltest://a" << "mltest";
        QTest::newRow("copy button in the pane") << "Copy_Button" << true << "abc" << 1 << 1 << "abc" << "b";
        QTest::newRow("cut in the pane") << "ID_Cut" << true << "a日本語" << 1 << 2 << "a語" << "日本";
        QTest::newRow("cut button in the bar") << "Cut_Button" << false << "abc" << 0 << 1 << "bc" << "a";
        QTest::newRow("paste in the bar") << "ID_Pst" << false << "abcdef" << 2 << 2 << "abCLIPef" << "CLIP";
        QTest::newRow("paste button in the pane") << "Past_Button" << true << "abcdef" << 2 << 2 << "abCLIPef" << "CLIP";
        QTest::newRow("delete in the bar") << "ID_Del" << false << "abcdef" << 1 << 3 << "aef" << "CLIP";
        QTest::newRow("delete button after the caret") << "Del_Button" << true << "abc" << 1 << 0 << "ac" << "CLIP";
        QTest::newRow("undo in the pane") << "ID_Undo" << true << "abc" << 3 << 0 << "abc" << "CLIP";
        QTest::newRow("undo button in the bar") << "Back_Button" << false << "abc" << 3 << 0 << "abc" << "CLIP";
        QTest::newRow("select all") << "ID_AllSel" << true << "日本\r\n\U0001F600" << 1 << 0 << "日本\r\n\U0001F600"
                                    << "CLIP";
    }

    // The key arrives after the command has returned, at the control that had the
    // focus; the other control is untouched. Select All always takes the pane.
    void keystrokeReachesFocusedControl()
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
        if (command == QLatin1String("ID_Undo") || command == QLatin1String("Back_Button"))
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

    // Closing the find window loses nothing: 次を検索 goes on with the last text
    // from the caret, past a hit selected there, and starts from the top after
    // the end; reopened, the window has its texts, its case box and the last text
    // selected, so typing replaces it.
    void findMemoryOutlivesTheWindow()
    {
        m_pane->SetText(QStringLiteral("ab AB ab"));
        FindAndReplaceDialog *find = openFind();
        QVERIFY(find->MatchCaseCheck->isChecked());
        find->MatchCaseCheck->setChecked(false);
        QTest::keyClicks(find->FindComb, QStringLiteral("Ab"));
        QTest::keyClick(find->FindComb, Qt::Key_Return);
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

        m_pane->SetSelStart(1);
        find = openFind();
        QCOMPARE(find->FindComb->count(), 1);
        QCOMPARE(find->FindComb->itemText(0), QStringLiteral("Ab"));
        QVERIFY(!find->MatchCaseCheck->isChecked());
        QCOMPARE(find->FindComb->lineEdit()->selectedText(), QStringLiteral("Ab"));
        QTest::keyClicks(find->FindComb, QStringLiteral("b"));
        QCOMPARE(find->FindComb->currentText(), QStringLiteral("b"));
    }

    // A hit the find window would cover is uncovered: the window moves.
    void findWindowMovesOffTheHit()
    {
        m_pane->SetText(QStringLiteral("first line\nsecond target line\nthird"));
        FindAndReplaceDialog *find = openFind();
        QVERIFY(QTest::qWaitForWindowExposed(find, 30000));
        m_pane->SetSelStart(11);
        m_pane->SetSelLength(6);
        find->move(m_pane->SelRect().topLeft() - QPoint(10, 10));
        QTRY_VERIFY(find->frameGeometry().intersects(m_pane->SelRect()));
        find->FindComb->setEditText(QStringLiteral("target"));
        find->FindButton->click();
        QCOMPARE(selection(m_pane), QStringLiteral("18+6"));
        QTRY_VERIFY(!find->frameGeometry().intersects(m_pane->SelRect()));
    }

    // Enter in the search box files the text once and searches at once; the
    // keyboard stays in the dialog, so the next Enter finds the next hit and
    // never types over the one selected.
    void enterSearchesAndKeepsTheKeyboard()
    {
        const QString text = QStringLiteral(u"\U0001F600find me, find me"); // positions count UTF-16 units
        m_pane->SetText(text);
        FindAndReplaceDialog *find = openFind();
        QVERIFY(find->isWindow() && !find->parentWidget() && !find->isTopmost());
        QVERIFY(QTest::qWaitForWindowActive(find, 30000));
        QTRY_VERIFY(find->FindComb->lineEdit()->hasFocus());
        QTest::keyClicks(find->FindComb, QStringLiteral("find"));
        QTest::keyClick(find->FindComb, Qt::Key_Return);
        QCOMPARE(selection(m_pane), QStringLiteral("2+4"));
        QCOMPARE(find->searchPos(), 4); // 1-based, one past the hit's start
        QCoreApplication::processEvents(); // a window activated by the hit would take the keys from here on
        QVERIFY(find->FindComb->lineEdit()->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(selection(m_pane), QStringLiteral("11+4"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter); // the end notice: in the list of messages below
        QVERIFY(find->FindComb->lineEdit()->hasFocus());
        QCOMPARE(m_pane->Text(), text);
        QCOMPARE(find->FindComb->count(), 1); // filed once for the text typed
        find->FindComb->setEditText(QString()); // a new text is filed again, empty too
        QTest::keyClick(find->FindComb, Qt::Key_Return);
        QCOMPARE(find->FindComb->count(), 2);
        QCOMPARE(find->FindComb->itemText(1), QString());

        // On top since the first search; the end notice is not hidden behind it.
        QVERIFY(find->isTopmost());
        bool topmostDuringMessage = true;
        m_prompts->onMessage = [&] { topmostDuringMessage = find->isTopmost(); };
        find->FindComb->setEditText(QStringLiteral("absent"));
        find->FindButton->click();
        QVERIFY(!topmostDuringMessage && find->isTopmost());
        QCOMPARE(m_prompts->messages, (QStringList{"検索が終了しました。", "\"absent\"は見つかりません。"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!m_form->findDialog());
        QVERIFY(!openFind()->isTopmost() && m_form->findDialog()->searchPos() == 0); // a new one
    }

    // Modeless, one window however often it is asked for; OK and Esc close it.
    void aboutStaysOneWindow()
    {
        for (Qt::Key key : {Qt::Key_Space, Qt::Key_Escape}) {
            m_form->action(QStringLiteral("ID_About"))->trigger();
            QPointer<AboutDialog> about = m_form->aboutDialog();
            m_form->action(QStringLiteral("ID_About"))->trigger();
            QVERIFY(m_form->aboutDialog() == about && about->isVisible() && !QApplication::activeModalWidget());
            QVERIFY(QTest::qWaitForWindowActive(about, 30000));
            QTest::keyClick(about->OKButton, key);
            QTRY_VERIFY(about.isNull() && !m_form->aboutDialog());
        }
    }

    // The window a hidden browser renders into is no window of the program's to
    // a screen reader; the panes have names.
    void screenReadersSeeTheWindowsOnly()
    {
        QSignalSpy done(m_form->WebBrowser1, &WebBrowser::documentComplete);
        m_form->WebBrowser1->Navigate2(QStringLiteral("about:blank"));
        QVERIFY(done.wait(30000));
        QVERIFY(QGuiApplication::topLevelWindows().size() > 1); // the browser's own is there
        QAccessibleInterface *app = QAccessible::queryAccessibleInterface(qApp);
        QCOMPARE(app->childCount(), 1);
        QCOMPARE(app->child(0)->object(), m_form.get());
        QCOMPARE(QAccessible::queryAccessibleInterface(m_pane)->text(QAccessible::Name), QStringLiteral("ソース"));
    }

    void commands_data()
    {
        QTest::addColumn<QString>("trigger"); // a key pressed in the pane, or a button or menu item
        QTest::addColumn<QString>("effect");
        const auto row = [](const char *trigger, const char *effect) {
            QTest::addRow("%s: %s", trigger, effect) << QString::fromLatin1(trigger) << QString::fromLatin1(effect);
        };
        row("Ctrl+S", "save dialog");
        row("Save_Button", "save dialog");
        row("Ctrl+Shift+S", "save dialog");
        row("Ctrl+N", "new copy");
        row("Ctrl+W", "closed");
        row("Ctrl+F", "find");
        row("Sch_Button", "find");
        row("F3", "find");
        row("Ctrl+,", "settings");
        row("Alt+Home", "home");
        row("home_Button", "home");
        row("IE_Button", "browser");
        for (const char *key : {"Ctrl+L", "Alt+D", "F6"})
            row(key, "address bar");
        row("ID_WordWrap", "wrapped");
        row("ID_SyntaxColour", "plain");
        row("ID_AnaScpt", "no scripts");
        row("ID_Anasor", "no data");
        row("Ctrl+V", "pasted once");
        row("Ctrl+D", "nothing");
    }

    // Each key pressed in the pane and each toolbar button runs its command; the
    // pane's own line commands no longer surprise; an edit key acts once.
    void commands()
    {
        QFETCH(QString, trigger);
        QFETCH(QString, effect);
        m_pane->SetText(QStringLiteral("abc"));
        m_pane->SetSelStart(1);
        m_pane->SetSelLength(1);
        m_form->AddressBarCombo->setEditText(QStringLiteral("example.org/a b"));
        m_pane->setFocus();
        QTRY_VERIFY(m_pane->hasFocus());
        m_form->settings().load(); // as at start-up: the switches show the settings
        if (trigger.endsWith(QLatin1String("_Button")) || trigger.startsWith(QLatin1String("ID_")))
            m_form->action(trigger)->trigger();
        else
            QTest::keySequence(m_pane, QKeySequence(trigger));
        const QString text = m_pane->Text();
        if (effect == QLatin1String("save dialog"))
            QCOMPARE(m_prompts->saveStarts.size(), 1);
        else if (effect == QLatin1String("new copy"))
            QCOMPARE(m_shell->starts.size(), 1);
        else if (effect == QLatin1String("closed"))
            QVERIFY(!m_form->isVisible());
        else if (effect == QLatin1String("find"))
            QVERIFY(m_form->findDialog() && m_form->findDialog()->FindComb->currentText() == QLatin1String("b"));
        else if (effect == QLatin1String("settings"))
            QVERIFY(m_form->settingDialog() && m_form->settingDialog()->isVisible());
        else if (effect == QLatin1String("home")) {
            // Empties the pane and switches the page commands off; stop switches them on at once.
            QVERIFY(text.isEmpty() && !m_form->action(QStringLiteral("Save_Button"))->isEnabled());
            m_form->action(QStringLiteral("Stop_Button1"))->trigger();
            QVERIFY(m_form->action(QStringLiteral("ID_Save"))->isEnabled());
        } else if (effect == QLatin1String("browser")) {
            // The bar's text goes as it is, typed but not visited; a refusal is reported.
            QCOMPARE(m_shell->openedUrls, QList<QUrl>{WebBrowser::urlFromUserInput(QStringLiteral("example.org/a b"))});
            QVERIFY(m_prompts->messages.isEmpty());
            m_shell->answer = false;
            m_form->action(QStringLiteral("ID_IEVIEW"))->trigger();
            QCOMPARE(m_prompts->messages.size(), 1);
        } else if (effect == QLatin1String("address bar"))
            QTRY_VERIFY(m_form->AddressBarCombo->lineEdit()->hasFocus()
                        && m_form->AddressBarCombo->lineEdit()->selectedText() == QLatin1String("example.org/a b"));
        else if (effect == QLatin1String("wrapped") || effect == QLatin1String("plain")) // the settings follow
            QVERIFY(effect == QLatin1String("wrapped") ? m_pane->wrapMode() == QsciScintilla::WrapWord
                                                          && m_form->settings().values().m_bWordWrap
                                                       : !m_pane->SyntaxColour() && !m_form->settings().values().m_bSyntaxColour);
        else if (effect.startsWith(QLatin1String("no ")))
            QCOMPARE(m_prompts->messages, QStringList{effect == QLatin1String("no data") ? analysis::kNoDataMessage
                                                                                        : analysis::kNoScriptsMessage});
        else if (effect == QLatin1String("pasted once"))
            QTRY_COMPARE(m_pane->Text(), QStringLiteral("aCLIPc"));
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

    void unsavedEditsQuestion_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<unsaved::Answer>("answer");
        QTest::addColumn<QString>("saveAs"); // the file chosen when saving; empty: the dialog is cancelled
        QTest::addColumn<bool>("proceeds");
        using A = unsaved::Answer;
        for (const char *action : {"enter", "drop", "home", "favourite", "close", "close box"})
            QTest::addRow("%s, cancel", action) << action << A::Cancel << QString() << false;
        QTest::newRow("enter, discard") << "enter" << A::Discard << QString() << true;
        QTest::newRow("favourite, discard") << "favourite" << A::Discard << QString() << true;
        QTest::newRow("home, save") << "home" << A::Save << "saved.html" << true;
        QTest::newRow("close, save") << "close" << A::Save << "saved.html" << true;
        QTest::newRow("close, save fails") << "close" << A::Save << "no/such/dir/x.html" << false;
    }

    // Every action that would drop unsaved edits asks first and obeys: after
    // キャンセル, or a save that did not happen, text, flag, address and the
    // window stay exactly as they were.
    void unsavedEditsQuestion()
    {
        QFETCH(QString, action);
        QFETCH(unsaved::Answer, answer);
        QFETCH(QString, saveAs);
        QFETCH(bool, proceeds);
        QTemporaryDir dir;
        const QString favorites = qEnvironmentVariable("MARKLOOM_FAVORITES");
        QVERIFY(QDir().mkpath(favorites));
        QFile fav(favorites + QStringLiteral("/fav.url"));
        QVERIFY(fav.open(QIODevice::WriteOnly) && fav.write("[InternetShortcut]\r\nURL=about:blank\r\n") > 0);
        fav.close();
        m_pane->SetText(QStringLiteral("<p>one</p>"));
        m_form->document().documentShown({QStringLiteral("mltest://a/one.html"), QStringLiteral("One")}, true);
        m_form->AddressBarCombo->setEditText(QStringLiteral("mltest://a/one.html"));
        m_pane->insertAt(QStringLiteral("edited "), 0, 0);
        const QString text = m_pane->Text();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("One* - Markloom"));
        m_prompts->saveQuestionAnswers << answer;
        if (!saveAs.isEmpty())
            m_prompts->saveAnswers << Prompts::SaveChoice{dir.filePath(saveAs), saveAs};

        const QString typed = QStringLiteral("about:blank");
        if (action == QLatin1String("enter")) {
            m_form->AddressBarCombo->setEditText(typed);
            QTest::keyClick(m_form->AddressBarCombo, Qt::Key_Return);
        } else if (action == QLatin1String("drop")) {
            QMimeData data;
            data.setUrls({QUrl(typed)});
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(m_pane->viewport(), &enter);
            QApplication::sendEvent(m_pane->viewport(), &drop);
        } else if (action == QLatin1String("home")) {
            m_form->action(QStringLiteral("home_Button"))->trigger();
        } else if (action == QLatin1String("favourite")) {
            m_form->action(QStringLiteral("ID_fvView"))->trigger();
            m_form->favForm()->FavTree_NodeClick(m_form->favForm()->FavTree->topLevelItem(0));
        } else if (action == QLatin1String("close")) {
            m_form->action(QStringLiteral("ID_Close"))->trigger();
        } else {
            m_form->close();
        }
        QCOMPARE(m_prompts->saveQuestions, 1);
        QFile saved(dir.filePath(saveAs));
        QCOMPARE(saved.open(QIODevice::ReadOnly) && saved.readAll() == text.toUtf8(), answer == unsaved::Answer::Save && proceeds);
        QCOMPARE(m_form->isVisible(), !proceeds || !action.startsWith(QLatin1String("close")));
        QCOMPARE(m_form->document().isModified(), !proceeds);
        if (proceeds) {
            // A load the user asked for empties the pane at once; a favourite leaves it until its page comes.
            QCOMPARE(m_pane->Text().isEmpty(), action != QLatin1String("favourite") && m_form->isVisible());
            return;
        }
        QCOMPARE(m_pane->Text(), text);
        const bool inBar = action == QLatin1String("enter") || action == QLatin1String("drop");
        QCOMPARE(m_form->AddressBarCombo->currentText(), inBar ? typed : QStringLiteral("mltest://a/one.html"));
        QVERIFY(m_form->action(QStringLiteral("ID_Save"))->isEnabled());
    }

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

MARKLOOM_UI_TEST_MAIN(TestEditWindows)
#include "tst_editwindows.moc"
