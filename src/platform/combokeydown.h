#pragma once

#include <QObject>

class QComboBox;

// Reports every key pressed in an editable combo box, before the key reaches
// its text. Keys arrive at the combo box, which holds the focus and hands them
// to its line edit itself.
class ComboKeyDown : public QObject
{
    Q_OBJECT
public:
    explicit ComboKeyDown(QComboBox *combo);

Q_SIGNALS:
    void keyDown(int key);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QComboBox *m_combo;
};
