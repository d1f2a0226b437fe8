#include "app/markloomform.h"
#include "app/settingsdefaults.h"
#include "app/settingsstore.h"
#include "platform/prompts.h"
#include "platform/sourcepane.h"
#include "platform/twips.h"
#include "settings/settingchoices.h"
#include "settings/settingdialog.h"
#include "support/testpages.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QtTest>

#include <memory>

namespace {

// Answers the colour dialog from a script; anything else it is asked counts
// as a fault of the code under test.
class ScriptedPrompts final : public Prompts
{
public:
    QList<std::optional<QColor>> colours; // answers in order; nullopt = cancelled
    QList<QColor> offered;                // the colour each dialog opened with
    int unexpected = 0;

    void message(QWidget *, const QString &) override { ++unexpected; }
    std::optional<SaveChoice> saveFile(QWidget *, const QStringList &, const QString &) override
    {
        ++unexpected;
        return std::nullopt;
    }
    std::optional<QColor> chooseColor(QWidget *, const QColor &initial) override
    {
        offered.append(initial);
        if (colours.isEmpty()) {
            ++unexpected;
            return std::nullopt;
        }
        return colours.takeFirst();
    }
};

int px(int twips) { return twips::toPixels(twips, QGuiApplication::primaryScreen()->logicalDotsPerInchY()); }

QString stored(const char *name) { return GetRegSetting(settings::kProgramName, QString::fromLatin1(name)); }

void store(const char *name, const QString &value)
{
    SetRegSetting(settings::kProgramName, QString::fromLatin1(name), value);
}

QStringList items(const QComboBox *combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list.append(combo->itemText(i));
    return list;
}

} // namespace

class TestSettingDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void opensWithStoredChoice_data();
    void opensWithStoredChoice();
    void captionsAndLists();
    void layout_data();
    void layout();
    void optionsToggleOnlyTheAddressBox();
    void customApplyOkReopen();
    void chooseColour_data();
    void chooseColour();
    void closingKeepsOnlyWhatWasApplied_data();
    void closingKeepsOnlyWhatWasApplied();
    void fontSizes_data();
    void fontSizes();
    void reopenWhileOpenKeepsEdits();
    void storedValuesNotNumbers();
    void roundTripThroughShutDown();
    void screenshots();

private:
    MarkloomForm &startForm();
    SettingDialog *openDialog();

    std::unique_ptr<MarkloomForm> m_form;
    ScriptedPrompts *m_prompts = nullptr;
};

void TestSettingDialog::init()
{
    // Every test starts as a first start: the store is empty.
    for (const settings::Value &v : settings::values())
        store(v.name, QString());
}

void TestSettingDialog::cleanup()
{
    if (m_prompts)
        QCOMPARE(m_prompts->unexpected, 0);
    m_form.reset();
    m_prompts = nullptr;
}

MarkloomForm &TestSettingDialog::startForm()
{
    m_form = std::make_unique<MarkloomForm>();
    auto prompts = std::make_unique<ScriptedPrompts>();
    m_prompts = prompts.get();
    m_form->setPrompts(std::move(prompts));
    m_form->Form_Load();
    return *m_form;
}

SettingDialog *TestSettingDialog::openDialog()
{
    m_form->action(QStringLiteral("ID_SETBR"))->trigger();
    return m_form->settingDialog();
}

void TestSettingDialog::opensWithStoredChoice_data()
{
    QTest::addColumn<QString>("storedChoice");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("custom");
    QTest::newRow("stored 0, field 1") << "0" << "1" << false;
    QTest::newRow("stored 1, field 0") << "1" << "0" << true;
    QTest::newRow("any other text is custom") << "yes" << "0" << true;
}

void TestSettingDialog::opensWithStoredChoice()
{
    QFETCH(QString, storedChoice);
    QFETCH(QString, field);
    QFETCH(bool, custom);

    MarkloomForm &form = startForm();
    store("bUserHome", storedChoice);
    form.m_bUserHome = field;
    form.m_UserHome = QStringLiteral("http://mine.example/start");
    form.m_CurrentFont = QStringLiteral("No Such Face");
    form.m_CurrentFontSize = QStringLiteral("13.5");
    form.m_BackColor = QStringLiteral("255"); // red in 0x00BBGGRR

    SettingDialog *dialog = openDialog();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->isWindow());
    QVERIFY(!dialog->parentWidget());
    QVERIFY(!dialog->isModal());
    QCOMPARE(dialog->SettingTab->currentIndex(), 0);

    QCOMPARE(dialog->HomeOption->isChecked(), !custom);
    QCOMPARE(dialog->CustomHomeOption->isChecked(), custom);
    QCOMPARE(dialog->HomeAddressText->isEnabled(), custom);
    QCOMPARE(dialog->HomeAddressText->text(), QStringLiteral("http://mine.example/start"));
    // Texts that are no entry of their lists are shown as they are.
    QCOMPARE(dialog->FontSizeCombo->currentText(), QStringLiteral("13.5"));
    QCOMPARE(dialog->FontCombo->currentText(), QStringLiteral("No Such Face"));
    QCOMPARE(dialog->backColorBarColor(), QColor(255, 0, 0));
    // Opening changes nothing.
    QCOMPARE(form.m_bUserHome, field);
    QCOMPARE(stored("bUserHome"), storedChoice);
}

void TestSettingDialog::captionsAndLists()
{
    startForm();
    SettingDialog *dialog = openDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral(u"ブラウザの設定"));
    QCOMPARE(dialog->SettingTab->count(), 3);
    QCOMPARE(dialog->SettingTab->tabText(0), QStringLiteral(u"ホームの設定"));
    QCOMPARE(dialog->SettingTab->tabText(1), QStringLiteral(u"フォント設定"));
    QCOMPARE(dialog->SettingTab->tabText(2), QStringLiteral(u"色の設定"));

    const QList<std::pair<const char *, QString>> captions = {
        {"HomeOption", QStringLiteral(u"IEで設定されたホーム")},
        {"CustomHomeOption", QStringLiteral(u"ホームを指定する")},
        {"FontLabel", QStringLiteral(u"フォント")},
        {"FontSizeLabel", QStringLiteral(u"フォントサイズ")},
        {"BackColorLabel", QStringLiteral(u"背景色")},
        {"BackColorCommand", QStringLiteral(u"色の選択")},
        {"OKButton", QStringLiteral("OK")},
        {"AplyButton", QStringLiteral(u"適用")},
        {"CancelButton", QStringLiteral(u"ｷｬﾝｾﾙ")},
    };
    for (const auto &[name, caption] : captions) {
        QObject *control = dialog->findChild<QObject *>(QString::fromLatin1(name));
        QVERIFY2(control, name);
        QCOMPARE(control->property("text").toString(), caption);
    }
    QVERIFY(dialog->findChild<QLabel *>(QStringLiteral("BackColorBar")));
    QVERIFY(dialog->findChild<QLineEdit *>(QStringLiteral("HomeAddressText")));

    QCOMPARE(items(dialog->FontSizeCombo), settings::fontSizeChoices());
    const QStringList fonts = items(dialog->FontCombo);
    QCOMPARE(fonts, settings::selectableFonts(QFontDatabase::families()));
    QVERIFY(!fonts.isEmpty());
    for (const QString &name : fonts)
        QVERIFY2(!name.contains(QLatin1Char('@')), qPrintable(name));

    // Free text is accepted and never added to the lists.
    QVERIFY(dialog->FontCombo->isEditable());
    QVERIFY(dialog->FontSizeCombo->isEditable());
    QTest::keyClicks(dialog->FontSizeCombo->lineEdit(), QStringLiteral("99"));
    QTest::keyClick(dialog->FontSizeCombo->lineEdit(), Qt::Key_Return);
    QCOMPARE(dialog->FontSizeCombo->count(), 20);
    // Return in a box does not press a button behind the user's back.
    QVERIFY(dialog->isVisible());
    QCOMPARE(m_form->m_CurrentFontSize, settings::defaultFontSize());
}

void TestSettingDialog::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("page"); // -1: placed on the dialog itself
    QTest::addColumn<QRect>("design");
    QTest::newRow("SettingTab") << "SettingTab" << -1 << QRect(120, 120, 6015, 3375);
    QTest::newRow("OKButton") << "OKButton" << -1 << QRect(2160, 2880, 1215, 375);
    QTest::newRow("AplyButton") << "AplyButton" << -1 << QRect(3480, 2880, 1215, 375);
    QTest::newRow("CancelButton") << "CancelButton" << -1 << QRect(4800, 2880, 1215, 375);
    QTest::newRow("CustomHomeOption") << "CustomHomeOption" << 0 << QRect(240, 480, 4935, 615);
    QTest::newRow("HomeAddressText") << "HomeAddressText" << 0 << QRect(240, 1200, 4335, 375);
    QTest::newRow("HomeOption") << "HomeOption" << 0 << QRect(240, 1920, 5055, 495);
    QTest::newRow("FontLabel") << "FontLabel" << 1 << QRect(240, 600, 2655, 255);
    QTest::newRow("FontCombo") << "FontCombo" << 1 << QRect(240, 960, 4095, 300);
    QTest::newRow("FontSizeLabel") << "FontSizeLabel" << 1 << QRect(240, 1440, 4095, 255);
    QTest::newRow("FontSizeCombo") << "FontSizeCombo" << 1 << QRect(240, 1800, 855, 300);
    QTest::newRow("BackColorLabel") << "BackColorLabel" << 2 << QRect(240, 600, 1455, 375);
    QTest::newRow("BackColorBar") << "BackColorBar" << 2 << QRect(720, 1080, 3375, 495);
    QTest::newRow("BackColorCommand") << "BackColorCommand" << 2 << QRect(4440, 1080, 1095, 495);
}

void TestSettingDialog::layout()
{
    QFETCH(QString, name);
    QFETCH(int, page);
    QFETCH(QRect, design);

    startForm();
    SettingDialog *dialog = openDialog();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(dialog->size(), QSize(px(6240), px(3585)));

    QWidget *control = dialog->findChild<QWidget *>(name);
    QVERIFY(control);
    if (page >= 0) {
        dialog->SettingTab->setCurrentIndex(page);
        QVERIFY(control->isVisible());
    }
    // Page controls are placed relative to the tab control, its header included.
    QWidget *frame = page >= 0 ? static_cast<QWidget *>(dialog->SettingTab) : dialog;
    QCOMPARE(control->mapTo(frame, QPoint(0, 0)), QPoint(px(design.left()), px(design.top())));
    QCOMPARE(control->width(), px(design.width()));
    // Text controls may be taller where their font needs it, never lower.
    QVERIFY(control->height() >= px(design.height()));
    // Nothing covers a control, the buttons over the tab control included.
    const QPoint centre = control->mapTo(dialog, control->rect().center());
    QWidget *hit = dialog->childAt(centre);
    QVERIFY(hit == control || control->isAncestorOf(hit));
}

void TestSettingDialog::optionsToggleOnlyTheAddressBox()
{
    MarkloomForm &form = startForm();
    const QString address = form.m_UserHome;
    SettingDialog *dialog = openDialog();
    QVERIFY(dialog->HomeOption->isChecked());

    dialog->CustomHomeOption->click();
    QVERIFY(dialog->CustomHomeOption->isChecked());
    QVERIFY(!dialog->HomeOption->isChecked());
    QVERIFY(dialog->HomeAddressText->isEnabled());
    dialog->HomeAddressText->setText(QStringLiteral("http://typed.example/"));

    dialog->HomeOption->click();
    QVERIFY(!dialog->CustomHomeOption->isChecked());
    QVERIFY(!dialog->HomeAddressText->isEnabled());
    QCOMPARE(dialog->HomeAddressText->text(), QStringLiteral("http://typed.example/"));

    // Apply with the browser's own home page leaves the custom address alone.
    form.m_bUserHome = QStringLiteral("1");
    dialog->AplyButton->click();
    QCOMPARE(form.m_bUserHome, QStringLiteral("0"));
    QCOMPARE(form.m_UserHome, address);
    QVERIFY(dialog->isVisible());
}

void TestSettingDialog::customApplyOkReopen()
{
    MarkloomForm &form = startForm();
    QCOMPARE(stored("bUserHome"), QStringLiteral("0"));
    SettingDialog *dialog = openDialog();
    dialog->CustomHomeOption->click();
    dialog->HomeAddressText->setText(QStringLiteral("http://custom.example/"));
    dialog->AplyButton->click();
    QCOMPARE(form.m_bUserHome, QStringLiteral("1"));
    QCOMPARE(form.m_UserHome, QStringLiteral("http://custom.example/"));

    dialog->OKButton->click();
    QTRY_VERIFY(!form.settingDialog());
    // The dialog changes the fields only; the store waits for shut-down.
    QCOMPARE(stored("bUserHome"), QStringLiteral("0"));
    QCOMPARE(stored("Home"), settings::defaultHome());

    // Reopened: the options show the stored choice, the box the applied address.
    dialog = openDialog();
    QVERIFY(dialog->HomeOption->isChecked());
    QVERIFY(!dialog->HomeAddressText->isEnabled());
    QCOMPARE(dialog->HomeAddressText->text(), QStringLiteral("http://custom.example/"));

    // OK applies what is shown.
    dialog->OKButton->click();
    QCOMPARE(form.m_bUserHome, QStringLiteral("0"));
    QCOMPARE(form.m_UserHome, QStringLiteral("http://custom.example/"));
    QTRY_VERIFY(!form.settingDialog());
}

void TestSettingDialog::chooseColour_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("confirmed") << true << QColor(0x20, 0x40, 0x60);
    QTest::newRow("cancelled") << false << QColor(0xC0, 0xFF, 0xEE);
}

void TestSettingDialog::chooseColour()
{
    QFETCH(bool, confirmed);
    QFETCH(QColor, expected);

    MarkloomForm &form = startForm();
    const QString start = settings::bgrText(settings::rgbToBgr(0xC0FFEEu));
    form.m_BackColor = start;
    SettingDialog *dialog = openDialog();
    QCOMPARE(dialog->backColorBarColor(), QColor(0xC0, 0xFF, 0xEE));
    const QColor paneBefore = form.HTMLSorceText->BackColor();

    m_prompts->colours.append(confirmed ? std::optional<QColor>(QColor(0x20, 0x40, 0x60)) : std::nullopt);
    dialog->SettingTab->setCurrentIndex(2);
    dialog->BackColorCommand->click();
    QCOMPARE(m_prompts->offered, QList<QColor>{QColor(0xC0, 0xFF, 0xEE)});
    QCOMPARE(dialog->backColorBarColor(), expected);
    // Nothing reaches the main window before Apply.
    QCOMPARE(form.m_BackColor, start);
    QCOMPARE(form.HTMLSorceText->BackColor(), paneBefore);

    dialog->AplyButton->click();
    QCOMPARE(form.m_BackColor, settings::bgrText(settings::rgbToBgr(expected.rgb() & 0xFFFFFFu)));
    QCOMPARE(form.HTMLSorceText->BackColor(), expected);
}

void TestSettingDialog::closingKeepsOnlyWhatWasApplied_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cancel button") << "cancel";
    QTest::newRow("close box") << "close";
    QTest::newRow("escape key") << "escape";
}

void TestSettingDialog::closingKeepsOnlyWhatWasApplied()
{
    QFETCH(QString, how);

    MarkloomForm &form = startForm();
    const QString home = form.m_UserHome;
    SettingDialog *dialog = openDialog();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));

    dialog->FontCombo->setEditText(QStringLiteral("Applied Face"));
    dialog->FontSizeCombo->setEditText(QStringLiteral("15"));
    m_prompts->colours = {QColor(0x11, 0x22, 0x33), QColor(0x44, 0x55, 0x66)};
    dialog->BackColorCommand->click();
    dialog->AplyButton->click();

    // Edits after Apply, then leave without applying them.
    dialog->FontCombo->setEditText(QStringLiteral("Dropped Face"));
    dialog->FontSizeCombo->setEditText(QStringLiteral("20"));
    dialog->BackColorCommand->click();
    dialog->CustomHomeOption->click();
    dialog->HomeAddressText->setText(QStringLiteral("http://dropped.example/"));
    if (how == QLatin1String("cancel"))
        dialog->CancelButton->click();
    else if (how == QLatin1String("close"))
        dialog->close();
    else
        QTest::keyClick(dialog, Qt::Key_Escape);
    QTRY_VERIFY(!form.settingDialog());

    QCOMPARE(form.m_bUserHome, QStringLiteral("0"));
    QCOMPARE(form.m_UserHome, home);
    QCOMPARE(form.m_CurrentFont, QStringLiteral("Applied Face"));
    QCOMPARE(form.m_CurrentFontSize, QStringLiteral("15"));
    QCOMPARE(form.m_BackColor, settings::bgrText(0x332211u));
    QCOMPARE(form.HTMLSorceText->PaneFontFace(), QStringLiteral("Applied Face"));
    QCOMPARE(form.HTMLSorceText->PaneFontSize(), 15.0);
    QCOMPARE(form.HTMLSorceText->BackColor(), QColor(0x11, 0x22, 0x33));
    QCOMPARE(stored("FontSize"), settings::defaultFontSize());

    // A new opening starts from the applied values.
    dialog = openDialog();
    QCOMPARE(dialog->FontSizeCombo->currentText(), QStringLiteral("15"));
    QCOMPARE(dialog->HomeAddressText->text(), home);
}

void TestSettingDialog::fontSizes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("points");
    // The pane starts at 11 points, the default.
    QTest::newRow("fraction") << "10.5" << "10.5" << 10.5;
    QTest::newRow("from the list") << "27" << "27" << 27.0;
    QTest::newRow("not in the list") << "30" << "30" << 30.0;
    QTest::newRow("word") << "large" << "11" << 11.0;
    QTest::newRow("empty") << "" << "11" << 11.0;
    QTest::newRow("zero") << "0" << "11" << 11.0;
    QTest::newRow("negative") << "-2" << "11" << 11.0;
    QTest::newRow("absurd") << "1e300" << "11" << 11.0;
}

void TestSettingDialog::fontSizes()
{
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QFETCH(double, points);

    MarkloomForm &form = startForm();
    QCOMPARE(form.HTMLSorceText->PaneFontSize(), 11.0);
    SettingDialog *dialog = openDialog();
    dialog->SettingTab->setCurrentIndex(1);
    dialog->FontCombo->setEditText(QStringLiteral("Serif"));
    dialog->FontSizeCombo->setEditText(typed);
    dialog->AplyButton->click();

    QCOMPARE(form.m_CurrentFontSize, field);
    QCOMPARE(form.HTMLSorceText->PaneFontSize(), points);
    // The face is applied whatever became of the size.
    QCOMPARE(form.m_CurrentFont, QStringLiteral("Serif"));
    QCOMPARE(form.HTMLSorceText->PaneFontFace(), QStringLiteral("Serif"));
    // The box keeps what was typed.
    QCOMPARE(dialog->FontSizeCombo->currentText(), typed);
}

void TestSettingDialog::reopenWhileOpenKeepsEdits()
{
    MarkloomForm &form = startForm();
    SettingDialog *dialog = openDialog();
    dialog->CustomHomeOption->click();
    dialog->HomeAddressText->setText(QStringLiteral("http://half.typed/"));
    dialog->FontSizeCombo->setEditText(QStringLiteral("19"));
    m_prompts->colours = {QColor(0x80, 0x80, 0x00)};
    dialog->BackColorCommand->click();
    dialog->SettingTab->setCurrentIndex(2);

    // Changes made elsewhere are not picked up by an open dialog.
    form.m_UserHome = QStringLiteral("http://elsewhere.example/");
    form.m_CurrentFontSize = QStringLiteral("9");
    dialog->lower();
    QCOMPARE(openDialog(), dialog);

    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->CustomHomeOption->isChecked());
    QCOMPARE(dialog->HomeAddressText->text(), QStringLiteral("http://half.typed/"));
    QCOMPARE(dialog->FontSizeCombo->currentText(), QStringLiteral("19"));
    QCOMPARE(dialog->backColorBarColor(), QColor(0x80, 0x80, 0x00));
    QCOMPARE(dialog->SettingTab->currentIndex(), 2);
    QCOMPARE(form.m_CurrentFontSize, QStringLiteral("9"));
}

void TestSettingDialog::storedValuesNotNumbers()
{
    store("FontSize", QStringLiteral("big"));
    store("BackColor", QStringLiteral("blue"));
    MarkloomForm &form = startForm();
    // Start-up shows the defaults in place of what cannot be read as numbers.
    QCOMPARE(form.HTMLSorceText->PaneFontSize(), 11.0);
    QCOMPARE(form.HTMLSorceText->BackColor(), QColor(Qt::white));

    SettingDialog *dialog = openDialog();
    QCOMPARE(dialog->FontSizeCombo->currentText(), QStringLiteral("big"));
    QCOMPARE(dialog->backColorBarColor(), QColor(Qt::white));
    dialog->FontSizeCombo->setEditText(QStringLiteral("12"));
    dialog->AplyButton->click();
    QCOMPARE(form.m_BackColor, QStringLiteral("16777215"));
    QCOMPARE(form.m_CurrentFontSize, QStringLiteral("12"));
    QCOMPARE(form.HTMLSorceText->PaneFontSize(), 12.0);
}

void TestSettingDialog::roundTripThroughShutDown()
{
    MarkloomForm &form = startForm();
    SettingDialog *dialog = openDialog();
    dialog->CustomHomeOption->click();
    dialog->HomeAddressText->setText(QStringLiteral("qrc:/markloom/home.html#trip"));
    dialog->FontCombo->setEditText(QStringLiteral("DejaVu Sans Mono"));
    dialog->FontSizeCombo->setEditText(QStringLiteral("10.5"));
    m_prompts->colours = {QColor(0x12, 0x34, 0x56)};
    dialog->BackColorCommand->click();
    dialog->OKButton->click();
    QTRY_VERIFY(!form.settingDialog());

    // Shut-down writes the fields; quitting without a running loop is harmless here.
    form.close();
    QCOMPARE(stored("bUserHome"), QStringLiteral("1"));
    QCOMPARE(stored("Home"), QStringLiteral("qrc:/markloom/home.html#trip"));
    QCOMPARE(stored("FontSize"), QStringLiteral("10.5"));
    QCOMPARE(stored("BackColor"), QString::number(0x563412));
    QCOMPARE(m_prompts->unexpected, 0);

    MarkloomForm &next = startForm();
    QCOMPARE(next.m_CurrentFont, QStringLiteral("DejaVu Sans Mono"));
    QCOMPARE(next.m_CurrentFontSize, QStringLiteral("10.5"));
    QCOMPARE(next.HTMLSorceText->PaneFontFace(), QStringLiteral("DejaVu Sans Mono"));
    QCOMPARE(next.HTMLSorceText->PaneFontSize(), 10.5);
    QCOMPARE(next.HTMLSorceText->BackColor(), QColor(0x12, 0x34, 0x56));

    // The new run's dialog shows the stored choice and values.
    dialog = openDialog();
    QVERIFY(dialog->CustomHomeOption->isChecked());
    QCOMPARE(dialog->HomeAddressText->text(), QStringLiteral("qrc:/markloom/home.html#trip"));
    QCOMPARE(dialog->FontSizeCombo->currentText(), QStringLiteral("10.5"));
    QCOMPARE(dialog->backColorBarColor(), QColor(0x12, 0x34, 0x56));
}

void TestSettingDialog::screenshots()
{
    // Pictures for a person to look at: MARKLOOM_SCREENSHOT_DIR=/tmp, run under xvfb-run.
    const QString dir = qEnvironmentVariable("MARKLOOM_SCREENSHOT_DIR");
    if (dir.isEmpty())
        QSKIP("MARKLOOM_SCREENSHOT_DIR not set");
    MarkloomForm &form = startForm();
    form.m_BackColor = settings::bgrText(settings::rgbToBgr(0xFFF2CCu));
    SettingDialog *dialog = openDialog();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    for (int page = 0; page < dialog->SettingTab->count(); ++page) {
        dialog->SettingTab->setCurrentIndex(page);
        const QString path = QStringLiteral("%1/settingdialog-tab%2.png").arg(dir).arg(page + 1);
        QVERIFY(dialog->grab().save(path));
        qInfo("%s", qPrintable(path));
    }
}

MARKLOOM_UI_TEST_MAIN(TestSettingDialog)
#include "tst_settingdialog.moc"
