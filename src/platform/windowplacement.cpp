#include "platform/windowplacement.h"

#include <QScreen>
#include <QWidget>

void bringForward(QWidget *window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void placeBeside(QWidget *window, const QWidget *anchor)
{
    const QScreen *screen = anchor->screen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    const QRect beside = anchor->frameGeometry();
    window->resize(window->size().boundedTo(room.size()));
    const int width = window->width();
    int x = beside.right() + 1;
    if (x + width > room.right() + 1)
        x = beside.left() - width;
    if (x < room.left())
        x = room.right() + 1 - width;
    const int y = qBound(room.top(), beside.top(), qMax(room.top(), room.bottom() + 1 - window->height()));
    window->move(x, y);
}

void useDialogFrame(QWidget *dialog)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}
