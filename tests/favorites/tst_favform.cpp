#include "app/markloomform.h"
#include "favorites/addfavoritedialog.h"
#include "favorites/favform.h"
#include "favorites/shortcutreader.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/webbrowser.h"
#include "support/testpages.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

namespace {

struct LoggingPrompts final : Prompts {
    QStringList *log;
    explicit LoggingPrompts(QStringList *messages) : log(messages) {}
    void message(QWidget *, const QString &text) override { log->append(text); }
    std::optional<SaveChoice> saveFile(QWidget *, const QStringList &, const QString &) override { return {}; }
    std::optional<QColor> chooseColor(QWidget *, const QColor &) override { return {}; }
};

struct LoggingShell final : Shell {
    QStringList *log;
    bool answer;
    LoggingShell(QStringList *folders, bool ok) : log(folders), answer(ok) {}
    bool openUrl(const QUrl &) override { return false; }
    bool openFolder(const QString &path) override
    {
        log->append(path);
        return answer;
    }
    bool startDetached(const QString &, const QStringList &, bool) override { return false; }
};

QString favoritesDir()
{
    return QString::fromLocal8Bit(qgetenv("MARKLOOM_FAVORITES"));
}

void writeShortcut(const QString &relative, const QString &address)
{
    QDir().mkpath(QFileInfo(favoritesDir() + '/' + relative).absolutePath());
    QFile f(favoritesDir() + '/' + relative);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[DEFAULT]\r\nBASEURL=" + address.toUtf8() + "\r\n[InternetShortcut]\r\nURL=" + address.toUtf8() + "\r\n");
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
    form.ID_fvView_Click();
    FavForm *fav = form.favForm();
    QVERIFY(fav && fav->isVisible() && !fav->parentWidget());
    QCOMPARE(fav->windowTitle(), QStringLiteral("お気に入り"));
    QCOMPARE(topLevelTexts(fav->FavTree), (QStringList{"A", "top.url"}));

    // Shown again: the same window, not rebuilt.
    writeShortcut("late.url", "http://late.test/");
    QVERIFY(QFile::remove(favoritesDir() + "/top.url"));
    fav->hide();
    form.ID_fvView_Click();
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
    MarkloomForm form;
    m_pages.installOn(form.WebBrowser1->browserProfile());
    QSignalSpy loads(form.WebBrowser1, &QWebEngineView::loadStarted);
    form.ID_fvView_Click();
    FavForm *fav = form.favForm();
    form.AddressBarCombo->setEditText("typed");

    clickNode(fav->FavTree, "Folder");
    clickNode(fav->FavTree, "Empty");
    QCOMPARE(form.AddressBarCombo->currentText(), QStringLiteral("typed"));
    // A shortcut without an address: the empty text, nothing to load.
    clickNode(fav->FavTree, "x.lnk");
    QCOMPARE(form.AddressBarCombo->currentText(), QString());
    clickNode(fav->FavTree, "page.url");
    QCOMPARE(form.AddressBarCombo->currentText(), m_page + "\r\n");
    QTRY_COMPARE(form.docName(), QStringLiteral("Fav: page?"));
    QCOMPARE(loads.count(), 1);
}

void TestFavForm::addDialogRoundTrip()
{
    QDir().mkpath(favoritesDir() + "/Sub");
    MarkloomForm form;
    m_pages.installOn(form.WebBrowser1->browserProfile());
    form.WebBrowser1->Navigate2(m_page);
    QTRY_COMPARE(form.docName(), QStringLiteral("Fav: page?"));

    form.ID_fvAdd_Click();
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
    form.ID_fvAdd_Click();
    QTRY_COMPARE(form.findChildren<AddFavoriteDialog *>().size(), 1);
    QTest::mouseClick(form.findChild<AddFavoriteDialog *>()->CancelButton, Qt::LeftButton);
    QCOMPARE(QDir(favoritesDir() + "/Sub").entryList(QDir::Files).size(), 1);
}

void TestFavForm::arrangeOpensFolder()
{
    QStringList opened, messages;
    MarkloomForm form;
    form.setPrompts(std::make_unique<LoggingPrompts>(&messages));
    form.setShell(std::make_unique<LoggingShell>(&opened, true));
    form.ID_fvArrange_Click(); // the folder is made first
    QCOMPARE(opened, QStringList{favoritesDir()});
    QVERIFY(QFileInfo(favoritesDir()).isDir());
    QVERIFY(messages.isEmpty());

    // The desktop refuses, or a file stands where the folder should be: a message each.
    form.setShell(std::make_unique<LoggingShell>(&opened, false));
    form.ID_fvArrange_Click();
    QVERIFY(QDir(favoritesDir()).removeRecursively() && QFile(favoritesDir()).open(QIODevice::WriteOnly));
    form.ID_fvArrange_Click();
    QCOMPARE(opened.size(), 2);
    QCOMPARE(messages.size(), 2);
    QVERIFY(messages.at(0).contains(favoritesDir()));
    QVERIFY(QFile::remove(favoritesDir()));
}

MARKLOOM_UI_TEST_MAIN(TestFavForm)
#include "tst_favform.moc"
