#include "settings/settingdialog.h"

#include "app/panesettings.h"
#include "app/settingsdefaults.h"
#include "app/settingsmodel.h"
#include "app/settingsstore.h"
#include "platform/services.h"
#include "platform/twips.h"
#include "platform/windowplacement.h"
#include "settings/settingchoices.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>

namespace {

double logicalDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

} // namespace

SettingDialog::SettingDialog(SettingsModel &settings, Services &services)
    : QDialog(nullptr), m_settings(settings), m_services(services), m_dpi(logicalDpi())
{
    setObjectName(QStringLiteral("SettingDialog"));
    setWindowTitle(QStringLiteral(u"ブラウザの設定"));
    useDialogFrame(this);
    createControls();
    Form_Load();
}

void SettingDialog::createControls()
{
    const auto px = [this](int t) { return twips::toPixels(t, m_dpi); };
    setFixedSize(px(6240), px(3585));

    SettingTab = new QTabWidget(this);
    SettingTab->setObjectName(QStringLiteral("SettingTab"));
    SettingTab->setGeometry(px(120), px(120), px(6015), px(3375));

    const auto addPage = [this](const char *name, const QString &caption) {
        auto *page = new QWidget;
        page->setObjectName(QString::fromLatin1(name));
        SettingTab->addTab(page, caption);
        return page;
    };
    // Text controls grow to what their font needs; the left and top stay.
    const auto place = [this, &px](QWidget *control, int left, int top, int width, int height) {
        const QRect rect(px(left), px(top), px(width), qMax(px(height), control->sizeHint().height()));
        m_placements.append(Placement{control, rect});
        control->setGeometry(rect);
    };

    QWidget *home = addPage("HomePage", QStringLiteral(u"ホームの設定"));
    CustomHomeOption = new QRadioButton(QStringLiteral(u"ホームを指定する"), home);
    CustomHomeOption->setObjectName(QStringLiteral("CustomHomeOption"));
    place(CustomHomeOption, 240, 480, 4935, 615);
    HomeAddressText = new QLineEdit(home);
    HomeAddressText->setObjectName(QStringLiteral("HomeAddressText"));
    place(HomeAddressText, 240, 1200, 4335, 375);
    HomeOption = new QRadioButton(QStringLiteral(u"組み込みのホームページ"), home);
    HomeOption->setObjectName(QStringLiteral("HomeOption"));
    place(HomeOption, 240, 1920, 5055, 495);

    QWidget *font = addPage("FontPage", QStringLiteral(u"フォント設定"));
    FontLabel = new QLabel(QStringLiteral(u"フォント"), font);
    FontLabel->setObjectName(QStringLiteral("FontLabel"));
    place(FontLabel, 240, 600, 2655, 255);
    FontCombo = new QComboBox(font);
    FontCombo->setObjectName(QStringLiteral("FontCombo"));
    place(FontCombo, 240, 960, 4095, 300);
    FontSizeLabel = new QLabel(QStringLiteral(u"フォントサイズ"), font);
    FontSizeLabel->setObjectName(QStringLiteral("FontSizeLabel"));
    place(FontSizeLabel, 240, 1440, 4095, 255);
    FontSizeCombo = new QComboBox(font);
    FontSizeCombo->setObjectName(QStringLiteral("FontSizeCombo"));
    place(FontSizeCombo, 240, 1800, 855, 300);
    // Free text besides the list; typing never adds entries, and the list
    // keeps the order it was given.
    for (QComboBox *combo : {FontCombo, FontSizeCombo}) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);
    }
    FontNoticeLabel = new QLabel(font);
    FontNoticeLabel->setObjectName(QStringLiteral("FontNoticeLabel"));
    FontNoticeLabel->setWordWrap(true);
    FontNoticeLabel->setTextFormat(Qt::PlainText);
    FontNoticeLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Beside the size box, where the page has room for a few lines.
    place(FontNoticeLabel, 1320, 1680, 4455, 720);
    connect(FontCombo, &QComboBox::editTextChanged, this, [this](const QString &face) {
        const QString shown = paneFace(face);
        FontNoticeLabel->setText(shown == face ? QString()
                                               : QStringLiteral(u"「%1」がないため、「%2」で表示します。")
                                                     .arg(face, shown));
    });
    FontLabel->setBuddy(FontCombo);
    FontSizeLabel->setBuddy(FontSizeCombo);

    QWidget *color = addPage("ColorPage", QStringLiteral(u"色の設定"));
    BackColorLabel = new QLabel(QStringLiteral(u"背景色"), color);
    BackColorLabel->setObjectName(QStringLiteral("BackColorLabel"));
    place(BackColorLabel, 240, 600, 1455, 375);
    BackColorBar = new QLabel(color);
    BackColorBar->setObjectName(QStringLiteral("BackColorBar"));
    BackColorBar->setFrameShape(QFrame::Panel);
    BackColorBar->setFrameShadow(QFrame::Sunken);
    BackColorBar->setAutoFillBackground(true);
    place(BackColorBar, 720, 1080, 3375, 495);
    BackColorCommand = new QPushButton(QStringLiteral(u"色の選択"), color);
    BackColorCommand->setObjectName(QStringLiteral("BackColorCommand"));
    BackColorCommand->setAutoDefault(false);
    place(BackColorCommand, 4440, 1080, 1095, 495);

    // The buttons sit over the lower part of the tab control.
    const auto addButton = [this, &px](const char *name, const QString &caption, int left) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        button->setGeometry(px(left), px(2880), px(1215), px(375));
        button->raise();
        return button;
    };
    OKButton = addButton("OKButton", QStringLiteral("OK"), 2160);
    // Enter anywhere in the dialog is OK.
    OKButton->setDefault(true);
    AplyButton = addButton("AplyButton", QStringLiteral(u"適用"), 3480);
    CancelButton = addButton("CancelButton", QStringLiteral(u"ｷｬﾝｾﾙ"), 4800);

    SettingTab->setCurrentIndex(0);
    m_pageArea = home->parentWidget();
    m_pageArea->installEventFilter(this);
    setTabOrder(SettingTab, OKButton);
    setTabOrder(OKButton, AplyButton);
    setTabOrder(AplyButton, CancelButton);

    connect(HomeOption, &QRadioButton::clicked, this, &SettingDialog::HomeOption_Click);
    connect(CustomHomeOption, &QRadioButton::clicked, this, &SettingDialog::CustomHomeOption_Click);
    connect(BackColorCommand, &QPushButton::clicked, this, &SettingDialog::BackColorCommand_Click);
    connect(AplyButton, &QPushButton::clicked, this, &SettingDialog::AplyButton_Click);
    connect(OKButton, &QPushButton::clicked, this, &SettingDialog::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &SettingDialog::CancelButton_Click);
}

void SettingDialog::Form_Load()
{
    // The options show the stored choice, not the shared value: that only
    // reaches the store at shut-down.
    const settings::Values &v = m_settings.values();
    const QString storedChoice = GetRegSetting(settings::kProgramName, QStringLiteral("bUserHome"));

    FontSizeCombo->addItems(settings::fontSizeChoices());
    FontSizeCombo->setCurrentIndex(-1);
    FontSizeCombo->setEditText(v.m_CurrentFontSize);

    FontCombo->addItems(settings::selectableFonts(QFontDatabase::families()));
    FontCombo->setCurrentIndex(-1);
    FontCombo->setEditText(v.m_CurrentFont);

    const bool custom = settings::isCustomHome(storedChoice);
    CustomHomeOption->setChecked(custom);
    HomeOption->setChecked(!custom);
    HomeAddressText->setEnabled(custom);
    HomeAddressText->setText(v.m_UserHome);

    setBackColorBar(QColor::fromRgb(settings::bgrToRgb(settings::bgrOrDefault(v.m_BackColor))));
}

void SettingDialog::HomeOption_Click() { HomeAddressText->setEnabled(false); }

void SettingDialog::CustomHomeOption_Click() { HomeAddressText->setEnabled(true); }

void SettingDialog::BackColorCommand_Click()
{
    if (const std::optional<QColor> chosen = m_services.prompts().chooseColor(this, backColorBarColor()))
        setBackColorBar(*chosen);
}

void SettingDialog::AplyButton_Click()
{
    settings::Choices choices;
    choices.customHome = CustomHomeOption->isChecked();
    choices.address = HomeAddressText->text();
    choices.font = FontCombo->currentText();
    choices.fontSize = FontSizeCombo->currentText();
    choices.bgr = settings::rgbToBgr(backColorBarColor().rgb() & 0x00FFFFFFu);
    m_settings.setValues(settings::applyChoices(m_settings.values(), choices));
}

void SettingDialog::OKButton_Click()
{
    AplyButton_Click();
    unload();
}

void SettingDialog::CancelButton_Click()
{
    restoreStoredHome();
    unload();
}

void SettingDialog::restoreStoredHome()
{
    // The address box goes back to the stored address before the window
    // goes; an earlier Apply stays applied.
    HomeAddressText->setText(GetRegSetting(settings::kProgramName, QStringLiteral("Home")));
}

QColor SettingDialog::backColorBarColor() const { return BackColorBar->palette().color(QPalette::Window); }

void SettingDialog::setBackColorBar(const QColor &color)
{
    QPalette palette = BackColorBar->palette();
    palette.setColor(QPalette::Window, color);
    BackColorBar->setPalette(palette);
}

void SettingDialog::placePageControls()
{
    // All pages share the tab control's page area.
    const QPoint origin = SettingTab->widget(0)->mapTo(SettingTab, QPoint(0, 0));
    for (const Placement &p : std::as_const(m_placements))
        p.control->move(p.rect.topLeft() - origin);
}

bool SettingDialog::eventFilter(QObject *watched, QEvent *event)
{
    // The page area moves under the tab header whenever the tab control lays
    // itself out (first at show).
    if (watched == m_pageArea && (event->type() == QEvent::Move || event->type() == QEvent::Show))
        placePageControls();
    return QDialog::eventFilter(watched, event);
}

void SettingDialog::unload()
{
    m_unloading = true;
    close();
}

void SettingDialog::reject()
{
    // Escape closes the window the way the close box does.
    close();
}

void SettingDialog::closeEvent(QCloseEvent *event)
{
    // The close box acts like Cancel.
    if (!m_unloading)
        restoreStoredHome();
    event->accept();
}
