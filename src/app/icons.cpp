#include "app/icons.h"

#include <QHash>

namespace icons {

namespace {
struct Entry {
    const char *theme;
    const char *file;
};

QIcon load(const Entry &e)
{
    const QIcon own(QStringLiteral(":/markloom/icons/%1.svg").arg(QString::fromLatin1(e.file)));
    if (!e.theme)
        return own;
    return QIcon::fromTheme(QString::fromLatin1(e.theme), own);
}
} // namespace

QIcon toolbarIcon(const QString &pictureKey)
{
    static const QHash<QString, Entry> table = {
        {QStringLiteral("Save_Key"), {"document-save", "save"}},
        {QStringLiteral("Back_Key"), {"edit-undo", "undo"}},
        {QStringLiteral("Past_Key"), {"edit-paste", "paste"}},
        {QStringLiteral("Cut_Key"), {"edit-cut", "cut"}},
        {QStringLiteral("Copy_Key"), {"edit-copy", "copy"}},
        {QStringLiteral("Del_Key"), {"edit-delete", "delete"}},
        {QStringLiteral("Find_Key"), {"edit-find", "find"}},
        {QStringLiteral("Stop_Key"), {"process-stop", "stop"}},
        {QStringLiteral("Home_Key"), {"go-home", "home"}},
        {QStringLiteral("IE_Key"), {"internet-web-browser", "browser"}},
        {QStringLiteral("Aply_Key"), {nullptr, "apply"}},
        {QStringLiteral("ID_Renew"), {"view-refresh", "refresh"}},
    };
    const auto it = table.constFind(pictureKey);
    return it == table.cend() ? QIcon() : load(*it);
}

QIcon treeIcon(int index)
{
    switch (index) {
    case 1: return load({"folder", "folder-closed"});
    case 2: return load({"folder-open", "folder-open"});
    case 3: return load({"text-html", "page"});
    default: return QIcon();
    }
}

QIcon windowIcon() { return load({nullptr, "markloom"}); }

} // namespace icons
