#include "platform/dropopener.h"

#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

void DropOpener::watch(QWidget *widget)
{
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

bool DropOpener::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QMimeData *data = drop->mimeData();
        if (!data || !data->hasUrls() || data->urls().isEmpty())
            return false;
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (event->type() == QEvent::Drop)
            Q_EMIT dropped(data->urls().first());
        return true;
    }
    default:
        return false;
    }
}
