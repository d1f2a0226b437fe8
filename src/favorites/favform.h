#pragma once

#include "favorites/favoritesscan.h"

#include <QIcon>
#include <QList>
#include <QSet>
#include <QString>
#include <QWidget>

class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

// The favourites window: the favourites folder as a tree under a one-button
// toolbar. A click on a file node asks for that favourite to be opened.
class FavForm : public QWidget
{
    Q_OBJECT
public:
    // Item data roles of the tree's nodes.
    enum Role {
        ItemRole = Qt::UserRole,   // a file node's record index in m_FavItems; -1 for a folder
        KeyRole = Qt::UserRole + 1, // the node's key, unique in the tree
        PathRole = Qt::UserRole + 2 // FullPath: the names from the top down, "\" between
    };

    FavForm();

    QToolBar *Toolbar1 = nullptr;
    QTreeWidget *FavTree = nullptr;

    // Window load: builds the tree.
    void Form_Load();
    // Runs the toolbar button at a 1-based index; only button 1 (reload) does
    // anything: the tree is built again, with the folders that were open and
    // the node that was selected as they were, where they still exist.
    void Toolbar1_ButtonClick(int index);
    // Asks for the node's favourite to be opened; a folder node does nothing.
    void FavTree_NodeClick(QTreeWidgetItem *node);

    // The address kept in the shortcut at path (relative to the favourites
    // folder, "\" between the names).
    QString GetUrldata(const QString &path) const;
    // Adds every subfolder of the folder sdr (absolute path), with its whole
    // subtree and its files, below node (the top level when null).
    void sder(const QString &sdr, QTreeWidgetItem *node);

    // Read-only views for tests and other windows.
    const QString &favoritesPath() const { return m_FavoritesPath; }
    qint32 favCount() const { return m_FavCount; }
    const QList<FavItem> &favItems() const { return m_FavItems; }

Q_SIGNALS:
    // A favourite was chosen; url is its address as read, possibly empty.
    void favoriteChosen(const QString &url);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildFavTree();
    // Puts scanned nodes into the tree below under (the top level when null)
    // and appends their records.
    void attach(const favorites::FavTreeData &data, QTreeWidgetItem *under);
    void applyResizeRule();
    double dpi() const;

    QString m_FavoritesPath;
    qint32 m_FavCount = 0;
    QList<FavItem> m_FavItems;
    QSet<QString> m_keys; // keys of the nodes in the tree
    QIcon m_folderIcon;   // closed folder, open folder while selected
    QIcon m_pageIcon;
};
