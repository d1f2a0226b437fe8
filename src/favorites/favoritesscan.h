#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

class QFileInfo;

// One file of the favourites tree and its address.
struct FavItem {
    QString NodePath; // FullPath of the file's node
    QString Url;      // what the shortcut reader returned (possibly empty)
};

namespace favorites {

// A node of the favourites tree. Nodes are listed in the order they are added,
// so a node's parent always comes before it.
struct FavNode {
    int parent = -1; // index of the parent node; -1: top level
    QString name;    // the entry's name, extension included (the node's text)
    QString key;     // unique in the tree: the name, or for a repeated name "name/2", "name/3", ...
    bool folder = false;
    QString fullPath; // the names from the top-level node down, "\" between
    QString path;     // the entry's absolute path on disk
    int item = -1;    // a file node's record in FavTreeData::items
};

struct FavTreeData {
    QList<FavNode> nodes;
    QList<FavItem> items; // one per file node, in the order the file nodes were added
};

// The favourites folder: $MARKLOOM_FAVORITES if set, else the application data
// folder + "/Favorites". No trailing separator; nothing is created.
QString favoritesFolder();

// Walks a favourites folder into nodes and records. At every level the
// subfolders come first, each followed by its whole subtree and then its own
// files; after them come that level's own files. Entries are taken in name
// order (case-insensitive, ties broken case-sensitively), so the tree does not
// depend on the order the file system happens to return them in.
//
// Whatever the folder holds never stops the walk: an unreadable folder shows
// no children, an unreadable or special file an empty address, a dangling link
// is a file without address. No folder is walked twice, and a linked folder is
// walked only when it leads out of the favourites folder and not up to a folder
// being walked (or one holding it), so links can neither loop nor pull in the
// disk around the favourites folder.
class FavoritesScan
{
public:
    // topPath: FullPath of the node the top-level results will hang below
    // (empty: the tree's own top level). usedKeys: keys already in that tree.
    explicit FavoritesScan(const QString &favoritesPath, const QString &topPath = QString(),
                           const QSet<QString> &usedKeys = QSet<QString>());

    // The whole folder: the subfolders of the favourites folder, then its files.
    // A missing folder gives an empty tree.
    static FavTreeData build(const QString &favoritesPath);

    // Adds every subfolder of folder (absolute path) as a child of parentNode
    // (-1: top level), each followed by its subtree and its own files.
    void sder(const QString &folder, int parentNode);
    // Adds the files lying directly in folder as children of parentNode.
    void recordFiles(const QString &folder, int parentNode);

    const FavTreeData &data() const { return m_data; }
    FavTreeData takeData() { return std::move(m_data); }

    // The folder nodes alone (no files are read), in tree order.
    static QList<FavNode> folders(const QString &favoritesPath);

private:
    struct Listing;
    static Listing listFolder(const QString &folder);
    void addSubfolders(const Listing &listing, int parentNode);
    void addFiles(const Listing &listing, int parentNode);
    bool mayWalk(const QFileInfo &folder, const QString &canonical) const;
    int addNode(int parent, const QFileInfo &entry, bool folder);
    QString uniqueKey(const QString &name);

    QString m_root;
    QString m_canonicalRoot;
    QString m_topPath;
    QSet<QString> m_usedKeys;
    QHash<QString, int> m_nextSuffix;
    QSet<QString> m_opened; // canonical paths of the folders already walked
    QStringList m_chain;    // canonical paths of the folders being walked, outermost first
    bool m_withFiles = true;
    FavTreeData m_data;
};

} // namespace favorites
