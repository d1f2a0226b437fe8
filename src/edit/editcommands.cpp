#include "app/markloomform.h"
#include "platform/sourcepane.h"

// Undo, paste, cut, copy and delete do no editing of their own: the focused
// control (source pane or address bar) gets the keystroke and does it.
void MarkloomForm::ID_Undo_Click() { sendKeystroke(Qt::Key_Z, Qt::ControlModifier); }
void MarkloomForm::ID_Pst_Click() { sendKeystroke(Qt::Key_V, Qt::ControlModifier); }
void MarkloomForm::ID_Cut_Click() { sendKeystroke(Qt::Key_X, Qt::ControlModifier); }
void MarkloomForm::ID_Copy_Click() { sendKeystroke(Qt::Key_C, Qt::ControlModifier); }
void MarkloomForm::ID_Del_Click() { sendKeystroke(Qt::Key_Delete, Qt::NoModifier); }

void MarkloomForm::ID_AllSel_Click()
{
    HTMLSorceText->SetSelStart(0);
    HTMLSorceText->SetSelLength(static_cast<int>(HTMLSorceText->TextLength()));
    HTMLSorceText->setFocus();
}
