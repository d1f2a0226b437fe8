#pragma once

#include <QIcon>
#include <QString>

// Pictures of the program: the desktop theme's icon where it has one, our own
// 16 x 16 drawing otherwise.
namespace icons {

// Toolbar picture by its key (Save_Key, Back_Key, ..., IE_Key, Aply_Key, ID_Renew).
QIcon toolbarIcon(const QString &pictureKey);
// Favourites tree images: 1 closed folder, 2 open folder, 3 web page.
QIcon treeIcon(int index);
QIcon windowIcon();

} // namespace icons
