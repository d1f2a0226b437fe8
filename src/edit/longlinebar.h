#pragma once

#include <QFrame>

class QLabel;

// A bar above a pane that names a very long line and offers to format. The
// pane makes room for it while it shows and gets the room back when it goes.
class LongLineBar : public QFrame
{
    Q_OBJECT
public:
    // Lines longer than this are named.
    static constexpr qsizetype kLongLine = 20000;

    explicit LongLineBar(QWidget *pane);

    // Shows the bar for a text whose longest line has this many characters,
    // or hides it when that is no more than kLongLine.
    void showFor(qsizetype longest);
    // Hides it, giving the pane its room back.
    void dismiss();
    QString message() const;

Q_SIGNALS:
    void formatRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QWidget *m_pane;
    QLabel *m_label;
};
