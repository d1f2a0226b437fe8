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
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

namespace {

class ScriptedPrompts final : public Prompts
{
public:
    QStringList *messages;
    explicit ScriptedPrompts(QStringList *log) : messages(log) {}
    void message(QWidget *, const QString &text) override { messages->append(text); }
    std::optional<SaveChoice> saveFile(QWidget *, const QStringList &, const QString &) override { return {}; }
    std::optional<QColor> chooseColor(QWidget *, const QColor &) override { return {}; }
};

class ScriptedShell final : public Shell
{
public:
    QStringList *folders;
    bool answer;
    ScriptedShell(QStringList *log, bool ok) : folders(log), answer(ok) {}
    bool openUrl(const QUrl &) override { return false; }
    bool openFolder(const QString &path) override
    {
        folders->append(path);
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
    const QString path = favoritesDir() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[DEFAULT]\r\nBASEURL=" + address.toUtf8() + "\r\n[InternetShortcut]\r\nURL=" + address.toUtf8() + "\r\n");
}

QStringList topLevelTexts(const QTreeWidget *tree)
{
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(0);
    return texts;
}

QTreeWidgetItem *nodeAt(QTreeWidget *tree, const QStringList &names)
{
    QTreeWidgetItem *node = nullptr;
    for (const QString &name : names) {
        QTreeWidgetItem *next = nullptr;
        const int count = node ? node->childCount() : tree->topLevelItemCount();
        for (int i = 0; i < count && !next; ++i) {
            QTreeWidgetItem *child = node ? node->child(i) : tree->topLevelItem(i);
            if (child->text(0) == name)
                next = child;
        }
        if (!next)
            return nullptr;
        node = next;
    }
    return node;
}

// A real mouse click on a node, expanding its parents so it can be seen.
void clickNode(QTreeWidget *tree, QTreeWidgetItem *node)
{
    for (QTreeWidgetItem *p = node->parent(); p; p = p->parent())
        p->setExpanded(true);
    tree->scrollToItem(node);
    const QRect rect = tree->visualItemRect(node);
    QVERIFY(rect.isValid());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
}

} // namespace

class TestFavForm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void viewShowsOneWindowWithoutRebuild();
    void reloadAfterAddAndDelete();
    void nodeClicks();
    void addFromLoadedPage();
    void arrangeOpensFolder();

private:
    markloomtest::TestPages m_pages;
};

void TestFavForm::initTestCase()
{
    m_pages.add(QStringLiteral("fav.test/page.html"),
                "<html><head><title>Fav: page?</title></head><body>favourite</body></html>");
    m_pages.add(QStringLiteral("fav.test/other.html"), "<html><head><title>Other</title></head><body>o</body></html>");
}

void TestFavForm::init()
{
    QDir(favoritesDir()).removeRecursively();
}

void TestFavForm::viewShowsOneWindowWithoutRebuild()
{
    writeShortcut(QStringLiteral("top.url"), QStringLiteral("http://top.test/"));
    writeShortcut(QStringLiteral("A/B/b.url"), QStringLiteral("http://b.test/"));
    writeShortcut(QStringLiteral("A/a.url"), QStringLiteral("http://a.test/"));
    QDir().mkpath(favoritesDir() + QStringLiteral("/R"));

    MarkloomForm form;
    QVERIFY(!form.favForm());
    form.action(QStringLiteral("ID_fvView"))->setEnabled(true);
    form.action(QStringLiteral("ID_fvView"))->trigger();
    FavForm *fav = form.favForm();
    QVERIFY(fav);
    QVERIFY(fav->isVisible());
    QVERIFY(fav->isWindow());
    QVERIFY(!fav->parentWidget());
    QVERIFY(fav->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(fav->windowTitle(), QStringLiteral("お気に入り"));
    const QList<QAction *> buttons = fav->Toolbar1->actions();
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(buttons.at(0)->toolTip(), QStringLiteral("更新"));
    QVERIFY(!buttons.at(0)->icon().isNull());

    // The tree in the scan's order, records depth-first.
    QCOMPARE(topLevelTexts(fav->FavTree), (QStringList{"A", "R", "top.url"}));
    QCOMPARE(nodeAt(fav->FavTree, {"A"})->child(1)->text(0), QStringLiteral("a.url"));
    QVERIFY(nodeAt(fav->FavTree, {"A", "B", "b.url"}));
    QCOMPARE(fav->favCount(), 3);
    QCOMPARE(fav->favItems().at(0).NodePath, QStringLiteral("A\\B\\b.url"));
    QCOMPARE(fav->favItems().at(2).Url, QStringLiteral("http://top.test/\r\n"));
    QCOMPARE(fav->GetUrldata(QStringLiteral("A\\B\\b.url")), QStringLiteral("http://b.test/\r\n"));

    // Shown again: the same window, the tree as it was.
    writeShortcut(QStringLiteral("late.url"), QStringLiteral("http://late.test/"));
    fav->hide();
    form.ID_fvView_Click();
    QCOMPARE(form.favForm(), fav);
    QVERIFY(fav->isVisible());
    QCOMPARE(fav->favCount(), 3);
    QCOMPARE(topLevelTexts(fav->FavTree), (QStringList{"A", "R", "top.url"}));

    // Closed, it is gone; the next show builds a new one.
    fav->close();
    QTRY_VERIFY(!form.favForm());
    form.ID_fvView_Click();
    QVERIFY(form.favForm());
    QCOMPARE(form.favForm()->favCount(), 4);
}

void TestFavForm::reloadAfterAddAndDelete()
{
    writeShortcut(QStringLiteral("one.url"), QStringLiteral("http://one.test/"));
    writeShortcut(QStringLiteral("A/desktop.ini"), QString());
    writeShortcut(QStringLiteral("B/desktop.ini"), QString());
    MarkloomForm form;
    form.ID_fvView_Click();
    FavForm *fav = form.favForm();
    QCOMPARE(fav->favCount(), 3);
    // The same name twice: two nodes, each below its own folder, distinct keys.
    QTreeWidgetItem *iniA = nodeAt(fav->FavTree, {"A", "desktop.ini"});
    QTreeWidgetItem *iniB = nodeAt(fav->FavTree, {"B", "desktop.ini"});
    QVERIFY(iniA && iniB);
    QVERIFY(iniA->data(0, FavForm::KeyRole) != iniB->data(0, FavForm::KeyRole));

    writeShortcut(QStringLiteral("two.url"), QStringLiteral("http://two.test/"));
    QVERIFY(QFile::remove(favoritesDir() + QStringLiteral("/one.url")));
    QTest::mouseClick(fav->Toolbar1->widgetForAction(fav->Toolbar1->actions().at(0)), Qt::LeftButton);
    QCOMPARE(topLevelTexts(fav->FavTree), (QStringList{"A", "B", "two.url"}));
    QCOMPARE(fav->favCount(), 3);
    for (const FavItem &item : fav->favItems())
        QVERIFY(item.NodePath != QLatin1String("one.url"));
    QCOMPARE(fav->favItems().last().NodePath, QStringLiteral("two.url"));

    // Everything removed: an empty tree and no records.
    QVERIFY(QDir(favoritesDir()).removeRecursively());
    fav->Toolbar1_ButtonClick(1);
    QCOMPARE(fav->FavTree->topLevelItemCount(), 0);
    QCOMPARE(fav->favCount(), 0);
    QVERIFY(!QFileInfo::exists(favoritesDir())); // reading never creates the folder
}

void TestFavForm::nodeClicks()
{
    const QString address = markloomtest::TestPages::url(QStringLiteral("fav.test/page.html"));
    writeShortcut(QStringLiteral("Folder/page.url"), address);
    writeShortcut(QStringLiteral("Folder/Empty/x.lnk"), address);
    MarkloomForm form;
    m_pages.installOn(form.WebBrowser1->browserProfile());
    QSignalSpy loads(form.WebBrowser1, &QWebEngineView::loadStarted);
    form.ID_fvView_Click();
    FavForm *fav = form.favForm();
    form.AddressBarCombo->setEditText(QStringLiteral("typed"));

    clickNode(fav->FavTree, nodeAt(fav->FavTree, {"Folder"}));
    clickNode(fav->FavTree, nodeAt(fav->FavTree, {"Folder", "Empty"}));
    QCOMPARE(form.AddressBarCombo->currentText(), QStringLiteral("typed"));

    // A shortcut without address: the empty text, nothing to load.
    clickNode(fav->FavTree, nodeAt(fav->FavTree, {"Folder", "Empty", "x.lnk"}));
    QCOMPARE(form.AddressBarCombo->currentText(), QString());

    clickNode(fav->FavTree, nodeAt(fav->FavTree, {"Folder", "page.url"}));
    QCOMPARE(form.AddressBarCombo->currentText(), address + QStringLiteral("\r\n"));
    QTRY_COMPARE(form.docName(), QStringLiteral("Fav: page?"));
    QCOMPARE(form.WebBrowser1->LocationURL(), address);
    // Only the file click loaded anything.
    QCOMPARE(loads.count(), 1);
    QCOMPARE(m_pages.requestCount(QStringLiteral("fav.test/page.html")), 1);
}

void TestFavForm::addFromLoadedPage()
{
    QDir().mkpath(favoritesDir() + QStringLiteral("/Sub"));
    const QString address = markloomtest::TestPages::url(QStringLiteral("fav.test/page.html"));
    MarkloomForm form;
    m_pages.installOn(form.WebBrowser1->browserProfile());
    form.AddressBarCombo->setEditText(address);
    form.WebBrowser1->Navigate2(address);
    QTRY_COMPARE(form.docName(), QStringLiteral("Fav: page?"));
    QCOMPARE(form.docElement().Document.URL, address);

    form.ID_fvAdd_Click();
    auto *dialog = form.findChild<AddFavoriteDialog *>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->NameText->text(), QStringLiteral("Fav_ page_"));
    QCOMPARE(dialog->FolderCombo->count(), 2);
    QCOMPARE(dialog->FolderCombo->itemText(1), QStringLiteral("お気に入り\\Sub"));
    dialog->FolderCombo->setCurrentIndex(1);
    QVERIFY(dialog->AddButton_Click());
    const QString written = favoritesDir() + QStringLiteral("/Sub/Fav_ page_.url");
    QCOMPARE(dialog->writtenPath(), written);
    QVERIFY(!dialog->isVisible());
    QFile file(written);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
             "[DEFAULT]\r\nBASEURL=" + address.toUtf8() + "\r\n[InternetShortcut]\r\nURL=" + address.toUtf8() + "\r\n");
    QCOMPARE(favorites::readShortcutUrl(written), address + QStringLiteral("\r\n"));

    // The same page again: the first favourite stays, the new one gets a free name.
    form.ID_fvAdd_Click();
    dialog = form.findChild<AddFavoriteDialog *>();
    QTRY_VERIFY(form.findChildren<AddFavoriteDialog *>().size() == 1);
    dialog->FolderCombo->setCurrentIndex(1);
    QVERIFY(dialog->NoticeLabel->text().contains(QStringLiteral("Fav_ page_ (2).url")));
    QTest::mouseClick(dialog->AddButton, Qt::LeftButton);
    QVERIFY(QFileInfo::exists(favoritesDir() + QStringLiteral("/Sub/Fav_ page_ (2).url")));
    QCOMPARE(favorites::readShortcutUrl(written), address + QStringLiteral("\r\n"));

    // Cancel writes nothing.
    form.ID_fvAdd_Click();
    dialog = form.findChild<AddFavoriteDialog *>();
    QTest::mouseClick(dialog->CancelButton, Qt::LeftButton);
    QCOMPARE(QDir(favoritesDir() + QStringLiteral("/Sub")).entryList(QDir::Files).size(), 2);

    // The favourite opens from the tree.
    form.WebBrowser1->Navigate2(markloomtest::TestPages::url(QStringLiteral("fav.test/other.html")));
    QTRY_COMPARE(form.docName(), QStringLiteral("Other"));
    form.ID_fvView_Click();
    FavForm *fav = form.favForm();
    clickNode(fav->FavTree, nodeAt(fav->FavTree, {"Sub", "Fav_ page_.url"}));
    QTRY_COMPARE(form.docName(), QStringLiteral("Fav: page?"));
}

void TestFavForm::arrangeOpensFolder()
{
    QStringList opened;
    QStringList messages;
    MarkloomForm form;
    form.setPrompts(std::make_unique<ScriptedPrompts>(&messages));
    form.setShell(std::make_unique<ScriptedShell>(&opened, true));
    QVERIFY(!QFileInfo::exists(favoritesDir()));
    form.ID_fvArrange_Click();
    QCOMPARE(opened, QStringList{favoritesDir()});
    QVERIFY(QFileInfo(favoritesDir()).isDir());
    QVERIFY(messages.isEmpty());

    // The desktop refuses: a message, and the program goes on.
    form.setShell(std::make_unique<ScriptedShell>(&opened, false));
    form.ID_fvArrange_Click();
    QCOMPARE(opened.size(), 2);
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.at(0).contains(favoritesDir()));

    // A folder that cannot be made (a file is in the way): a message, no shell call.
    QVERIFY(QDir(favoritesDir()).removeRecursively());
    QFile blocker(favoritesDir());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    form.ID_fvArrange_Click();
    QCOMPARE(opened.size(), 2);
    QCOMPARE(messages.size(), 2);
    QVERIFY(QFile::remove(favoritesDir()));
}

MARKLOOM_UI_TEST_MAIN(TestFavForm)
#include "tst_favform.moc"
