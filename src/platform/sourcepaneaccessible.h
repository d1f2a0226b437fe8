#pragma once

#include <QAccessibleWidget>

class SourcePane;

// What screen readers get of a source pane: its text, caret and selection in
// UTF-16 offsets, and editing. Every source pane uses it in place of the editor
// component's own, which counts characters from the start of the text on every
// repaint. Offsets come from the pane's table of line starts.
class SourcePaneAccessible : public QAccessibleWidget,
                             public QAccessibleTextInterface,
                             public QAccessibleEditableTextInterface
{
public:
    explicit SourcePaneAccessible(SourcePane *pane);

    // Makes source panes use this interface; later calls do nothing.
    static void install();
    // The pane's change notices go to Qt's accessibility, or to a listener set
    // here (tests: without a platform bridge Qt drops them).
    using Listener = void (*)(QAccessibleEvent *);
    static void setListener(Listener listener);
    static void raise(QAccessibleEvent *event);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    using QAccessibleWidget::text;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                             int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                            int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    enum class Side { Before, At, After };
    // The pane, with any finished change taken into the offsets.
    SourcePane *pane() const;
    QString around(Side side, int offset, QAccessible::TextBoundaryType type, int *startOffset,
                   int *endOffset) const;
    void replace(int startOffset, int endOffset, const QString &text);
};
