#pragma once

class QWidget;

// Shows a window of ours in front, restored if it was minimised.
void bringForward(QWidget *window);
