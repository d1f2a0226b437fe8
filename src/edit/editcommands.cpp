#include "edit/editcommands.h"

#include "platform/sourcepane.h"

#include <QApplication>
#include <QKeyEvent>

namespace editcommands {

void sendKeystroke(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget *target = QApplication::focusWidget();
    if (!target)
        return;
    // Posted, so the control sees the key after the menu event has returned.
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, modifiers));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, modifiers));
}

void undo()
{
    sendKeystroke(Qt::Key_Z, Qt::ControlModifier);
}
void paste()
{
    sendKeystroke(Qt::Key_V, Qt::ControlModifier);
}
void cut()
{
    sendKeystroke(Qt::Key_X, Qt::ControlModifier);
}
void copy()
{
    sendKeystroke(Qt::Key_C, Qt::ControlModifier);
}
void deleteSelection()
{
    sendKeystroke(Qt::Key_Delete, Qt::NoModifier);
}

void selectAll(SourcePane &pane)
{
    pane.SetSelStart(0);
    pane.SetSelLength(static_cast<int>(pane.TextLength()));
    pane.setFocus();
}

} // namespace editcommands
