#pragma once

#include <Qt>

class SourcePane;

// 元に戻す, 貼り付け, 切り取り, コピー and 削除 do no editing of their own: the
// control with the focus (source pane or address bar) gets the keystroke,
// after the menu event has returned, and does it. すべて選択 takes the pane.
namespace editcommands {

void sendKeystroke(int key, Qt::KeyboardModifiers modifiers);
void undo();
void paste();
void cut();
void copy();
void deleteSelection();
void selectAll(SourcePane &pane);

} // namespace editcommands
