#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The About box: name, version and disclaimer. Modeless, without an owner.
class AboutDialog : public QWidget
{
    Q_OBJECT
public:
    AboutDialog();

    QLabel *AboutLabel = nullptr;
    QLabel *MenshoLabel = nullptr;
    QLabel *MenLabel = nullptr;
    QPushButton *OKButton = nullptr;

    void OKButton_Click();
};
