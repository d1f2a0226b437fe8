// The favourites commands and their windows over a document model, a stand-in
// browser and scripted services: no main window, no web engine.

#include "app/documentmodel.h"
#include "favorites/addfavoritedialog.h"
#include "favorites/favform.h"
#include "favorites/favoritecommands.h"
#include "favorites/shortcutreader.h"
#include "platform/browser.h"
#include "support/scripted.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

namespace {

QString favoritesDir()
{
    return qEnvironmentVariable("MARKLOOM_FAVORITES");
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

// Every node as "name" or "[name]" (a folder opened), "*" on the current one.
QString describe(const QTreeWidget *tree)
{
    QStringList out;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget *>(tree)); *it; ++it)
        out << ((*it)->isExpanded() ? "[" + (*it)->text(0) + "]" : (*it)->text(0)) +
                   (*it == tree->currentItem() ? "*" : "");
    return out.join(' ');
}

QTreeWidgetItem *node(QTreeWidget *tree, const QString &name)
{
    return tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive).value(0);
}

// A real mouse click on the node called name (names are unique in these trees).
void clickNode(QTreeWidget *tree, const QString &name)
{
    QTreeWidgetItem *item = node(tree, name);
    QVERIFY2(item, qPrintable(name));
    tree->expandAll();
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

// Loads nothing; only addresses of the engine's own cannot load.
class StandInBrowser final : public Browser
{
public:
    void Navigate2(const QString &) override {}
    void GoHome() override {}
    void Stop() override {}
    void Reload() override {}
    void ReadAgain() override {}
    QString LocationURL() const override { return {}; }
    bool canLoad(const QUrl &url) const override { return url.scheme() != QLatin1String("chrome"); }
};

struct Desk {
    QWidget window;
    DocumentModel document;
    Services services;
    markloomtest::Scripted scripted = markloomtest::installScripted(services);
    StandInBrowser browser;
    FavoriteCommands commands{document, services, browser, &window};
    QSignalSpy opened{&commands, &FavoriteCommands::open};
};

} // namespace

class TestFavForm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QDir(favoritesDir()).removeRecursively(); }
    void viewAndReload();
    void chosenFavourites();
    void addedFavouriteShowsAtOnce();
    void arrangeOpensFolder();
};

// Built when made, shown again as it is; 更新 reads the folder again and keeps
// the open folders and the selection; Esc and Ctrl+W close it.
void TestFavForm::viewAndReload()
{
    writeShortcut("top.url", "http://top.test/");
    writeShortcut("A/a.url", "http://a.test/");
    writeShortcut("A/B/b.url", "http://b.test/");
    writeShortcut("C/c.url", "http://c.test/");
    Desk d;
    d.commands.view();
    FavForm *fav = d.commands.form();
    QVERIFY(fav && fav->isVisible() && !fav->parentWidget());
    QCOMPARE(fav->windowTitle(), QStringLiteral("お気に入り"));
    QCOMPARE(describe(fav->FavTree), QStringLiteral("A B b.url a.url C c.url top.url"));

    writeShortcut("A/B/late.url", "http://late.test/");
    QVERIFY(QFile::remove(favoritesDir() + "/top.url"));
    fav->hide();
    d.commands.view();
    QCOMPARE(d.commands.form(), fav);
    QVERIFY(fav->isVisible());
    QCOMPARE(describe(fav->FavTree), QStringLiteral("A B b.url a.url C c.url top.url"));

    node(fav->FavTree, "A")->setExpanded(true);
    node(fav->FavTree, "B")->setExpanded(true);
    fav->FavTree->setCurrentItem(node(fav->FavTree, "b.url"));
    QTest::mouseClick(fav->Toolbar1->widgetForAction(fav->Toolbar1->actions().at(0)), Qt::LeftButton);
    QCOMPARE(describe(fav->FavTree), QStringLiteral("[A] [B] b.url* late.url a.url C c.url"));
    QCOMPARE(fav->favCount(), 4);

    // Everything removed: an empty tree.
    QVERIFY(QDir(favoritesDir()).removeRecursively());
    fav->Toolbar1_ButtonClick(1);
    QCOMPARE(fav->FavTree->topLevelItemCount() + fav->favCount(), 0);

    for (const QKeySequence key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        d.commands.view();
        QPointer<FavForm> shown = d.commands.form();
        QVERIFY(QTest::qWaitForWindowActive(shown, 30000));
        shown->FavTree->setFocus();
        QTest::keySequence(shown->FavTree, key);
        QTRY_VERIFY(!shown && !d.commands.form());
    }
}

// A favourite with an address goes on to be opened exactly as read; one
// without, or one no page can come from, is said so at once.
void TestFavForm::chosenFavourites()
{
    writeShortcut("Folder/page.url", "mltest://fav.test/page.html");
    writeShortcut("Folder/Empty/x.lnk", "mltest://fav.test/page.html");
    writeShortcut("Folder/other.url", "mltest://fav.test/other", false);
    writeShortcut("Folder/refused.url", "chrome://settings");
    Desk d;
    d.commands.view();
    QTreeWidget *tree = d.commands.form()->FavTree;
    clickNode(tree, "Folder");
    clickNode(tree, "Empty");
    clickNode(tree, "x.lnk");
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) // the keyboard opens the selected one too
        QTest::keyClick(tree, key);
    clickNode(tree, "refused.url");
    clickNode(tree, "page.url");
    clickNode(tree, "other.url"); // only [InternetShortcut] URL=
    QCOMPARE(d.opened.size(), 2);
    QCOMPARE(d.opened.at(0).at(0).toString(), QStringLiteral("mltest://fav.test/page.html\r\n"));
    QCOMPARE(d.opened.at(1).at(0).toString(), QStringLiteral("mltest://fav.test/other"));
    const QString none = QStringLiteral("このお気に入りにはアドレスがありません。");
    QCOMPARE(d.scripted.prompts->messages,
             (QStringList{none, none, none, QStringLiteral("「chrome://settings」を開けません。アドレスを確かめてください。")}));
}

// お気に入りに追加 writes the shortcut where chosen; an open favourites window
// shows it at once, keeping its folders as they were. Cancel writes nothing.
void TestFavForm::addedFavouriteShowsAtOnce()
{
    QDir().mkpath(favoritesDir() + "/Sub");
    writeShortcut("Sub/old.url", "http://old.test/");
    Desk d;
    d.document.documentShown({QStringLiteral("mltest://fav.test/page.html"), QStringLiteral("Fav: page?")}, true);
    d.commands.view();
    FavForm *fav = d.commands.form();
    node(fav->FavTree, "Sub")->setExpanded(true);

    d.commands.add();
    auto *dialog = d.window.findChild<AddFavoriteDialog *>();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->NameText->text(), QStringLiteral("Fav_ page_"));
    QCOMPARE(dialog->FolderCombo->itemText(1), QStringLiteral("お気に入り\\Sub"));
    dialog->FolderCombo->setCurrentIndex(1);
    QTest::mouseClick(dialog->AddButton, Qt::LeftButton);
    const QString written = favoritesDir() + "/Sub/Fav_ page_.url";
    QCOMPARE(favorites::readShortcutUrl(written), QStringLiteral("mltest://fav.test/page.html\r\n"));
    QCOMPARE(describe(fav->FavTree), QStringLiteral("[Sub] Fav_ page_.url old.url"));

    d.commands.add();
    QTRY_COMPARE(d.window.findChildren<AddFavoriteDialog *>().size(), 1);
    QTest::mouseClick(d.window.findChild<AddFavoriteDialog *>()->CancelButton, Qt::LeftButton);
    QCOMPARE(QDir(favoritesDir() + "/Sub").entryList(QDir::Files).size(), 2);
}

// The folder is made first; a desktop that cannot open it, or a file where
// the folder should be, gets a message each.
void TestFavForm::arrangeOpensFolder()
{
    Desk d;
    d.commands.arrange();
    QCOMPARE(d.scripted.shell->openedFolders, QStringList{favoritesDir()});
    QVERIFY(QFileInfo(favoritesDir()).isDir());
    QVERIFY(d.scripted.prompts->messages.isEmpty());
    d.scripted.shell->answer = false;
    d.commands.arrange();
    QVERIFY(QDir(favoritesDir()).removeRecursively() && QFile(favoritesDir()).open(QIODevice::WriteOnly));
    d.commands.arrange();
    QCOMPARE(d.scripted.shell->openedFolders.size(), 2);
    QCOMPARE(d.scripted.prompts->messages.size(), 2);
    QVERIFY(d.scripted.prompts->messages.at(0).contains(favoritesDir()));
    QVERIFY(QFile::remove(favoritesDir()));
}

MARKLOOM_WIDGET_TEST_MAIN(TestFavForm)
#include "tst_favform.moc"
