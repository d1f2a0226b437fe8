#pragma once

#include <QAccessibleInterface>

// What a screen reader is told about the hidden browser: nothing. The view
// is shown off the screen (so its page runs as a shown one) and the engine
// renders through a window of its own titled "Offscreen"; both would
// otherwise be listed among the program's windows. Their interface names no
// object, which keeps them out of the application's children.
class HiddenAccessible : public QAccessibleInterface
{
public:
    // Makes every hidden browser and its rendering window answer so.
    static void install();

    bool isValid() const override { return false; }
    QObject *object() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return nullptr; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text) const override { return QString(); }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override { return QRect(); }
    QAccessible::Role role() const override { return QAccessible::NoRole; }
    QAccessible::State state() const override;
};
