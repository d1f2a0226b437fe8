#include "favorites/favoritesscan.h"

#include "favorites/shortcutreader.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace favorites {

namespace {

// path is folder itself or lies below it.
bool isInside(const QString &path, const QString &folder)
{
    if (folder.isEmpty() || !path.startsWith(folder))
        return false;
    return path.size() == folder.size() || folder.endsWith(QLatin1Char('/')) ||
           path.at(folder.size()) == QLatin1Char('/');
}

} // namespace

struct FavoritesScan::Listing {
    QList<QFileInfo> folders;
    QList<QFileInfo> files;
};

QString favoritesFolder()
{
    QString path = qEnvironmentVariable("MARKLOOM_FAVORITES");
    if (path.isEmpty())
        path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Favorites");
    return QDir::cleanPath(path);
}

FavoritesScan::FavoritesScan(const QString &favoritesPath, const QString &topPath, const QSet<QString> &usedKeys)
    : m_root(QDir::cleanPath(favoritesPath)), m_canonicalRoot(QFileInfo(favoritesPath).canonicalFilePath()),
      m_topPath(topPath), m_usedKeys(usedKeys)
{
    if (!m_canonicalRoot.isEmpty())
        m_opened.insert(m_canonicalRoot);
}

FavoritesScan::Listing FavoritesScan::listFolder(const QString &folder)
{
    // Every entry, hidden and system ones included. A folder or a link to one
    // is a folder; everything else (links that lead nowhere too) is a file.
    Listing listing;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        QFileInfo info = it.nextFileInfo();
        (info.isDir() ? listing.folders : listing.files).append(std::move(info));
    }
    const auto byName = [](const QFileInfo &a, const QFileInfo &b) {
        const QString an = a.fileName();
        const QString bn = b.fileName();
        const int c = an.compare(bn, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : an < bn;
    };
    std::sort(listing.folders.begin(), listing.folders.end(), byName);
    std::sort(listing.files.begin(), listing.files.end(), byName);
    return listing;
}

FavTreeData FavoritesScan::build(const QString &favoritesPath)
{
    FavoritesScan scan(favoritesPath);
    const Listing listing = listFolder(scan.m_root);
    scan.m_chain.append(scan.m_canonicalRoot);
    scan.addSubfolders(listing, -1);
    scan.addFiles(listing, -1);
    return scan.takeData();
}

QList<FavNode> FavoritesScan::folders(const QString &favoritesPath)
{
    FavoritesScan scan(favoritesPath);
    scan.m_withFiles = false;
    scan.sder(scan.m_root, -1);
    return scan.takeData().nodes;
}

void FavoritesScan::sder(const QString &folder, int parentNode)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty())
        return;
    const bool outermost = m_chain.isEmpty();
    if (outermost && canonical != m_canonicalRoot)
        m_chain.append(m_canonicalRoot);
    m_opened.insert(canonical);
    m_chain.append(canonical);
    addSubfolders(listFolder(folder), parentNode);
    m_chain.removeLast();
    if (outermost && canonical != m_canonicalRoot)
        m_chain.removeLast();
}

void FavoritesScan::recordFiles(const QString &folder, int parentNode)
{
    addFiles(listFolder(folder), parentNode);
}

bool FavoritesScan::mayWalk(const QFileInfo &folder, const QString &canonical) const
{
    if (canonical.isEmpty() || m_opened.contains(canonical))
        return false;
    if (!folder.isSymLink())
        return true;
    // A link into the favourites folder shows what is shown elsewhere; a link
    // up to a folder being walked (or one holding it) would never end.
    if (isInside(canonical, m_canonicalRoot))
        return false;
    return std::none_of(m_chain.cbegin(), m_chain.cend(),
                        [&](const QString &walked) { return isInside(walked, canonical); });
}

void FavoritesScan::addSubfolders(const Listing &listing, int parentNode)
{
    for (const QFileInfo &sub : listing.folders) {
        const int node = addNode(parentNode, sub, true);
        const QString canonical = sub.canonicalFilePath();
        if (!mayWalk(sub, canonical))
            continue;
        m_opened.insert(canonical);
        m_chain.append(canonical);
        const Listing inner = listFolder(sub.absoluteFilePath());
        addSubfolders(inner, node);
        m_chain.removeLast();
        addFiles(inner, node);
    }
}

void FavoritesScan::addFiles(const Listing &listing, int parentNode)
{
    if (!m_withFiles)
        return;
    for (const QFileInfo &file : listing.files) {
        const int node = addNode(parentNode, file, false);
        FavNode &n = m_data.nodes[node];
        n.item = int(m_data.items.size());
        m_data.items.append(FavItem{n.fullPath, readShortcutUrl(file)});
    }
}

int FavoritesScan::addNode(int parent, const QFileInfo &entry, bool folder)
{
    FavNode node;
    node.parent = parent;
    node.name = entry.fileName();
    node.key = uniqueKey(node.name);
    node.folder = folder;
    const QString &base = parent < 0 ? m_topPath : m_data.nodes.at(parent).fullPath;
    node.fullPath = base.isEmpty() ? node.name : base + QLatin1Char('\\') + node.name;
    node.path = entry.absoluteFilePath();
    m_data.nodes.append(std::move(node));
    return int(m_data.nodes.size() - 1);
}

QString FavoritesScan::uniqueKey(const QString &name)
{
    // "/" never occurs in a file name, so a suffixed key cannot meet a real name.
    QString key = name;
    if (m_usedKeys.contains(key)) {
        int &next = m_nextSuffix[name];
        next = qMax(next, 2);
        do {
            key = name + QLatin1Char('/') + QString::number(next++);
        } while (m_usedKeys.contains(key));
    }
    m_usedKeys.insert(key);
    return key;
}

} // namespace favorites
