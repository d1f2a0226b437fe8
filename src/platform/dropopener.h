#pragma once

#include <QObject>
#include <QUrl>

class QWidget;

// Turns a file or link dropped on the watched widgets into one address to
// open, instead of text inserted where it fell. Other drops (plain text
// dragged inside the pane) go on as before.
class DropOpener : public QObject
{
    Q_OBJECT
public:
    explicit DropOpener(QObject *parent = nullptr) : QObject(parent) {}
    void watch(QWidget *widget);

Q_SIGNALS:
    void dropped(const QUrl &url);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
