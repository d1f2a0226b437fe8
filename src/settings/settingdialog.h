#pragma once

#include <QColor>
#include <QDialog>
#include <QList>
#include <QRect>

class QComboBox;
class Services;
class SettingsModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

// The browser settings window: home page, font, font size and background
// colour of the source pane. It reads the shared settings when it is created
// and replaces them only on Apply or OK; they reach the store at shut-down.
// Top-level and modeless, without an owner.
class SettingDialog : public QDialog
{
    Q_OBJECT
public:
    SettingDialog(SettingsModel &settings, Services &services);

    // --- Controls ---
    QTabWidget *SettingTab = nullptr;
    QRadioButton *CustomHomeOption = nullptr;
    QLineEdit *HomeAddressText = nullptr;
    QRadioButton *HomeOption = nullptr;
    QLabel *FontLabel = nullptr;
    QComboBox *FontCombo = nullptr;
    QLabel *FontSizeLabel = nullptr;
    QComboBox *FontSizeCombo = nullptr;
    // Says which face the pane shows when the one named is not installed.
    QLabel *FontNoticeLabel = nullptr;
    QLabel *BackColorLabel = nullptr;
    QLabel *BackColorBar = nullptr;
    QPushButton *BackColorCommand = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *AplyButton = nullptr;
    QPushButton *CancelButton = nullptr;

    // The colour the bar shows.
    QColor backColorBarColor() const;

    // Handlers.
    void HomeOption_Click();
    void CustomHomeOption_Click();
    void BackColorCommand_Click();
    void AplyButton_Click();
    void OKButton_Click();
    void CancelButton_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;

private:
    void createControls();
    void Form_Load();
    void setBackColorBar(const QColor &color);
    void restoreStoredHome();
    // Page controls are laid out relative to the tab control, header included.
    void placePageControls();
    // Closes and deletes the window without running the close-box path.
    void unload();

    struct Placement {
        QWidget *control;
        QRect rect; // pixels, relative to SettingTab
    };

    SettingsModel &m_settings;
    Services &m_services;
    QList<Placement> m_placements;
    QWidget *m_pageArea = nullptr; // the tab control's page stack
    double m_dpi = 96.0;
    bool m_unloading = false;
};
