#include "favorites/favform.h"

#include "app/icons.h"
#include "favorites/favtreeresize.h"
#include "favorites/shortcutreader.h"
#include "platform/picturetoolbar.h"
#include "platform/twips.h"
#include "platform/windowplacement.h"

#include <QAction>
#include <QResizeEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

// Folder nodes show a closed folder, and an open one while selected.
QIcon folderIcon()
{
    QIcon icon = icons::treeIcon(1);
    const QIcon open = icons::treeIcon(2);
    for (const QSize &size : open.availableSizes())
        icon.addPixmap(open.pixmap(size), QIcon::Selected);
    if (open.availableSizes().isEmpty())
        icon.addPixmap(open.pixmap(16, 16), QIcon::Selected);
    return icon;
}

// FullPath of a node: the names from its top-level node down, "\" between.
QString fullPath(const QTreeWidgetItem *node)
{
    QStringList names;
    for (; node; node = node->parent())
        names.prepend(node->text(0));
    return names.join(QLatin1Char('\\'));
}

} // namespace

FavForm::FavForm() : QWidget(nullptr)
{
    setObjectName(QStringLiteral("FavForm"));
    setWindowTitle(QStringLiteral("お気に入り"));
    setWindowIcon(icons::windowIcon());
    const double d = dpi();
    m_folderIcon = folderIcon();
    m_pageIcon = icons::treeIcon(3);

    Toolbar1 = makePictureToolbar(this, QStringLiteral("Toolbar1"),
                                  QRect(0, 0, twips::toPixels(5850, d), twips::toPixels(420, d)));
    QAction *renew = addPictureButton(Toolbar1, this, QStringLiteral("Toolbar1_Button1"),
                                      icons::toolbarIcon(QStringLiteral("ID_Renew")), QStringLiteral("更新"), 1);
    connect(renew, &QAction::triggered, this, [this] { Toolbar1_ButtonClick(1); });

    FavTree = new QTreeWidget(this);
    FavTree->setObjectName(QStringLiteral("FavTree"));
    FavTree->setColumnCount(1);
    FavTree->setHeaderHidden(true);
    FavTree->setSortingEnabled(false); // insertion order is the order shown
    FavTree->setIconSize(QSize(16, 16));
    FavTree->setUniformRowHeights(true);
    FavTree->setGeometry(0, twips::toPixels(480, d), twips::toPixels(5895, d), twips::toPixels(6735, d));
    connect(FavTree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) { FavTree_NodeClick(item); });
    // From the keyboard: Enter or Space opens the selected favourite.
    FavTree->installEventFilter(this);
    closeOnEscapeAndCtrlW(this);

    resize(twips::toPixels(5850, d), twips::toPixels(7200, d));
}

double FavForm::dpi() const
{
    const QScreen *s = screen();
    return s ? s->logicalDotsPerInchY() : 96.0;
}

void FavForm::Form_Load()
{
    BuildFavTree();
}

void FavForm::Toolbar1_ButtonClick(int index)
{
    if (index != 1)
        return;
    QSet<QString> open;
    for (QTreeWidgetItemIterator it(FavTree); *it; ++it) {
        if ((*it)->isExpanded())
            open.insert((*it)->data(0, PathRole).toString());
    }
    const QString current = FavTree->currentItem() ? FavTree->currentItem()->data(0, PathRole).toString() : QString();
    BuildFavTree();
    for (QTreeWidgetItemIterator it(FavTree); *it; ++it) {
        const QString path = (*it)->data(0, PathRole).toString();
        if (open.contains(path))
            (*it)->setExpanded(true);
        if (!current.isEmpty() && path == current)
            FavTree->setCurrentItem(*it);
    }
}

void FavForm::BuildFavTree()
{
    m_FavCount = 0;
    m_FavItems.clear();
    m_FavoritesPath = favorites::favoritesFolder();
    FavTree->clear();
    m_keys.clear();

    sder(m_FavoritesPath, nullptr);
    favorites::FavoritesScan files(m_FavoritesPath, QString(), m_keys);
    files.recordFiles(m_FavoritesPath, -1);
    attach(files.data(), nullptr);
}

void FavForm::sder(const QString &sdr, QTreeWidgetItem *node)
{
    favorites::FavoritesScan scan(m_FavoritesPath, fullPath(node), m_keys);
    scan.sder(sdr, -1);
    attach(scan.data(), node);
}

void FavForm::attach(const favorites::FavTreeData &data, QTreeWidgetItem *under)
{
    const int firstRecord = int(m_FavItems.size());
    QList<QTreeWidgetItem *> items;
    items.reserve(data.nodes.size());
    QList<QTreeWidgetItem *> top;
    // The nodes are built apart from the tree and go in at once: inserting
    // them one by one into a shown tree is far slower for big folders.
    for (const favorites::FavNode &n : data.nodes) {
        auto *item = new QTreeWidgetItem(QStringList{n.name});
        item->setIcon(0, n.folder ? m_folderIcon : m_pageIcon);
        item->setData(0, ItemRole, n.item < 0 ? -1 : firstRecord + n.item);
        item->setData(0, KeyRole, n.key);
        item->setToolTip(0, n.fullPath);
        item->setData(0, PathRole, n.fullPath);
        if (n.parent < 0)
            top.append(item);
        else
            items.at(n.parent)->addChild(item);
        items.append(item);
        m_keys.insert(n.key);
    }
    if (under)
        under->addChildren(top);
    else
        FavTree->addTopLevelItems(top);
    m_FavItems += data.items;
    m_FavCount = qint32(m_FavItems.size());
}

QString FavForm::GetUrldata(const QString &path) const
{
    return favorites::GetUrldata(m_FavoritesPath, path);
}

void FavForm::FavTree_NodeClick(QTreeWidgetItem *node)
{
    if (!node)
        return;
    // The node carries its record; a folder node has none. (Comparing paths
    // would mix up names that hold a "\" themselves.)
    const int record = node->data(0, ItemRole).toInt();
    if (record < 0 || record >= m_FavItems.size())
        return;
    Q_EMIT favoriteChosen(m_FavItems.at(record).Url);
}

bool FavForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FavTree && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            FavTree_NodeClick(FavTree->currentItem());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FavForm::applyResizeRule()
{
    const double d = dpi();
    const QRect outer = frameGeometry();
    const FavTreeSize size = favTreeResize(twips::fromPixels(outer.width(), d), twips::fromPixels(outer.height(), d));
    FavTree->resize(qMax(0, twips::toPixels(size.width, d)), qMax(0, twips::toPixels(size.height, d)));
    // The toolbar is docked: it follows the width.
    Toolbar1->resize(width(), Toolbar1->height());
}

void FavForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyResizeRule();
}
