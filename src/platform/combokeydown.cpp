#include "platform/combokeydown.h"

#include <QComboBox>
#include <QKeyEvent>

ComboKeyDown::ComboKeyDown(QComboBox *combo) : QObject(combo), m_combo(combo) { combo->installEventFilter(this); }

bool ComboKeyDown::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_combo && event->type() == QEvent::KeyPress)
        Q_EMIT keyDown(static_cast<QKeyEvent *>(event)->key());
    return false;
}
