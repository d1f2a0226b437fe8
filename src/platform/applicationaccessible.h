#pragma once

#include <QAccessibleObject>

// The application as screen readers see it: its windows, without the window a
// hidden browser renders into, which nobody can see or use.
class ApplicationAccessible : public QAccessibleApplication
{
public:
    // Makes the application use this interface; later calls do nothing. Must
    // run before anything asks for the application's interface.
    static void install();

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    static QObjectList windows();
};
