#pragma once

class QWidget;

// Shows a window of ours in front, restored if it was minimised.
void bringForward(QWidget *window);

// Places a window that opens for the first time beside anchor (right of it,
// else left, else over its edge), wholly on anchor's screen.
void placeBeside(QWidget *window, const QWidget *anchor);

// The flags of a dialog: a title and a close button, nothing to minimise or
// maximise.
void useDialogFrame(QWidget *dialog);

// Esc and Ctrl+W close the window, from any of its controls.
void closeOnEscapeAndCtrlW(QWidget *window);
