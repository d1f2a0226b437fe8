#include "app/markloomform.h"
#include "favorites/addfavoritedialog.h"
#include "favorites/favform.h"
#include "favorites/shortcutreader.h"
#include "platform/sourcepane.h"
#include "platform/webbrowser.h"
#include "support/scripted.h"
#include "support/testpages.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

namespace {

QString favoritesDir()
{
    return QString::fromLocal8Bit(qgetenv("MARKLOOM_FAVORITES"));
}

void writeShortcut(const QString &relative, const QString &address, bool withDefault = true)
{
    QDir().mkpath(QFileInfo(favoritesDir() + '/' + relative).absolutePath());
    QFile f(favoritesDir() + '/' + relative);
    QVERIFY(f.open(QIODevice::WriteOnly));
    if (withDefault)
        f.write("[DEFAULT]\r\nBASEURL=" + address.toUtf8() + "\r\n");
    f.write("[InternetShortcut]\r\nURL=" + address.toUtf8() + "\r\n");
}

QStringList topLevelTexts(const QTreeWidget *tree)
{
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(0);
    return texts;
}

// A real mouse click on the node called name (names are unique in these trees).
void clickNode(QTreeWidget *tree, const QString &name)
{
    QTreeWidgetItem *node = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    QVERIFY2(node, qPrintable(name));
    tree->expandAll();
    tree->scrollToItem(node);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
}

} // namespace

class TestFavForm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { m_pages.add("fav.test/page.html", "<html><head><title>Fav: page?</title></head></html>"); }
    void init() { QDir(favoritesDir()).removeRecursively(); }
    void viewAndReload();
    void folderAndFileClicks();
    void addDialogRoundTrip();
    void arrangeOpensFolder();

private:
    markloomtest::TestPages m_pages;
    const QString m_page = markloomtest::TestPages::url("fav.test/page.html");
};

void TestFavForm::viewAndReload()
{
    writeShortcut("top.url", "http://top.test/");
    writeShortcut("A/a.url", "http://a.test/");
    MarkloomForm form;
    form.action("ID_fvView")->trigger();
    FavForm *fav = form.favForm();
    QVERIFY(fav && fav->isVisible() && !fav->parentWidget());
    QCOMPARE(fav->windowTitle(), QStringLiteral("お気に入り"));
    QCOMPARE(topLevelTexts(fav->FavTree), (QStringList{"A", "top.url"}));

    // Shown again: the same window, not rebuilt.
    writeShortcut("late.url", "http://late.test/");
    QVERIFY(QFile::remove(favoritesDir() + "/top.url"));
    fav->hide();
    form.action("ID_fvView")->trigger();
    QCOMPARE(form.favForm(), fav);
    QVERIFY(fav->isVisible());
    QCOMPARE(topLevelTexts(fav->FavTree), (QStringList{"A", "top.url"}));

    // The toolbar's button reloads: the added file in, the deleted one out.
    QTest::mouseClick(fav->Toolbar1->widgetForAction(fav->Toolbar1->actions().at(0)), Qt::LeftButton);
    QCOMPARE(topLevelTexts(fav->FavTree), (QStringList{"A", "late.url"}));
    QCOMPARE(fav->favCount(), 2);
    QCOMPARE(fav->favItems().last().NodePath, QStringLiteral("late.url"));

    // Everything removed: an empty tree, and reading never creates the folder.
    QVERIFY(QDir(favoritesDir()).removeRecursively());
    fav->Toolbar1_ButtonClick(1);
    QCOMPARE(fav->FavTree->topLevelItemCount() + fav->favCount(), 0);
    QVERIFY(!QFileInfo::exists(favoritesDir()));

    // Closed, it is gone: the next show builds a new one.
    fav->close();
    QTRY_VERIFY(!form.favForm());
}

void TestFavForm::folderAndFileClicks()
{
    writeShortcut("Folder/page.url", m_page);
    writeShortcut("Folder/Empty/x.lnk", m_page);
    writeShortcut("Folder/other.url", m_page + "?other", false);
    writeShortcut("Folder/refused.url", "chrome://settings");
    MarkloomForm form;
    const auto scripted = markloomtest::installScripted(form);
    m_pages.installOn(form.WebBrowser1->browserProfile());
    QSignalSpy loads(form.WebBrowser1, &QWebEngineView::loadStarted);
    form.action("ID_fvView")->trigger();
    FavForm *fav = form.favForm();
    form.AddressBarCombo->setEditText("typed");

    clickNode(fav->FavTree, "Folder");
    clickNode(fav->FavTree, "Empty");
    // A shortcut without an address: said so, the bar as it was, nothing loaded.
    clickNode(fav->FavTree, "x.lnk");
    QCOMPARE(scripted.prompts->messages, QStringList{QStringLiteral("このお気に入りにはアドレスがありません。")});
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) // the keyboard opens the selected one too
        QTest::keyClick(fav->FavTree, key);
    QCOMPARE(scripted.prompts->messages.size(), 3);
    QCOMPARE(form.AddressBarCombo->currentText(), QStringLiteral("typed"));
    clickNode(fav->FavTree, "page.url");
    QCOMPARE(form.AddressBarCombo->currentText(), m_page + "\r\n");
    QTRY_COMPARE(form.document().docName(), QStringLiteral("Fav: page?"));
    QCOMPARE(loads.count(), 1);

    // Over unsaved edits it asks first; キャンセル keeps everything, 保存しない goes.
    form.HTMLSorceText->insertAt(QStringLiteral("edit"), 0, 0);
    QVERIFY(form.document().isModified());
    // An address that cannot load is said at once, without giving up the edits.
    clickNode(fav->FavTree, "refused.url");
    QCOMPARE(scripted.prompts->messages.last(), QStringLiteral("「chrome://settings」を開けません。アドレスを確かめてください。"));
    QVERIFY(form.document().isModified() && scripted.prompts->saveQuestions == 0);
    clickNode(fav->FavTree, "other.url");
    QCOMPARE(scripted.prompts->saveQuestions, 1);
    QCOMPARE(form.AddressBarCombo->currentText(), m_page);
    QVERIFY(form.HTMLSorceText->Text().startsWith(QStringLiteral("edit")));
    scripted.prompts->saveQuestionAnswers << unsaved::Answer::Discard;
    clickNode(fav->FavTree, "other.url"); // only [InternetShortcut] URL=: it opens
    QCOMPARE(form.AddressBarCombo->currentText(), m_page + "?other");
    QTRY_COMPARE(m_pages.requestCount("fav.test/page.html"), 2);
    QCOMPARE(scripted.prompts->saveQuestions, 2);
}

void TestFavForm::addDialogRoundTrip()
{
    QDir().mkpath(favoritesDir() + "/Sub");
    MarkloomForm form;
    m_pages.installOn(form.WebBrowser1->browserProfile());
    form.WebBrowser1->Navigate2(m_page);
    QTRY_COMPARE(form.document().docName(), QStringLiteral("Fav: page?"));

    form.action("ID_fvAdd")->trigger();
    auto *dialog = form.findChild<AddFavoriteDialog *>();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->NameText->text(), QStringLiteral("Fav_ page_"));
    QCOMPARE(dialog->FolderCombo->itemText(1), QStringLiteral("お気に入り\\Sub"));
    dialog->FolderCombo->setCurrentIndex(1);
    QTest::mouseClick(dialog->AddButton, Qt::LeftButton);
    const QString written = favoritesDir() + "/Sub/Fav_ page_.url";
    QCOMPARE(dialog->writtenPath(), written);
    QCOMPARE(favorites::readShortcutUrl(written), m_page + "\r\n");

    // Cancel writes nothing.
    form.action("ID_fvAdd")->trigger();
    QTRY_COMPARE(form.findChildren<AddFavoriteDialog *>().size(), 1);
    QTest::mouseClick(form.findChild<AddFavoriteDialog *>()->CancelButton, Qt::LeftButton);
    QCOMPARE(QDir(favoritesDir() + "/Sub").entryList(QDir::Files).size(), 1);
}

void TestFavForm::arrangeOpensFolder()
{
    MarkloomForm form;
    const auto scripted = markloomtest::installScripted(form);
    QAction *arrange = form.action("ID_fvArrange");
    arrange->trigger(); // the folder is made first
    QCOMPARE(scripted.shell->openedFolders, QStringList{favoritesDir()});
    QVERIFY(QFileInfo(favoritesDir()).isDir());
    QVERIFY(scripted.prompts->messages.isEmpty());

    // The desktop refuses, or a file stands where the folder should be: a message each.
    scripted.shell->answer = false;
    arrange->trigger();
    QVERIFY(QDir(favoritesDir()).removeRecursively() && QFile(favoritesDir()).open(QIODevice::WriteOnly));
    arrange->trigger();
    QCOMPARE(scripted.shell->openedFolders.size(), 2);
    QCOMPARE(scripted.prompts->messages.size(), 2);
    QVERIFY(scripted.prompts->messages.at(0).contains(favoritesDir()));
    QVERIFY(QFile::remove(favoritesDir()));
}

MARKLOOM_UI_TEST_MAIN(TestFavForm)
#include "tst_favform.moc"
