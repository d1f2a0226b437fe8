#include "platform/windowplacement.h"

#include "platform/besiderule.h"

#include <QScreen>
#include <QShortcut>
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
    // The window is not shown yet: its frame is taken to be the anchor's.
    const QSize frame = anchor->frameGeometry().size() - anchor->geometry().size();
    const QRect outer = besideRect(screen->availableGeometry(), anchor->frameGeometry(), window->size(), frame,
                                   qMax(window->minimumSizeHint().width(), 240));
    window->resize(outer.size() - frame);
    window->move(outer.topLeft());
}

void useDialogFrame(QWidget *dialog)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void closeOnEscapeAndCtrlW(QWidget *window)
{
    for (const QKeySequence &key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto *shortcut = new QShortcut(key, window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
    }
}
