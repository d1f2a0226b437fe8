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
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QtTest>

#include <memory>

namespace {

// Answers the colour dialog from a script; anything else it is asked counts as a fault.
class ScriptedPrompts final : public Prompts
{
public:
    QList<std::optional<QColor>> colours; // answers in order; nullopt = cancelled
    QList<QColor> offered;                // the colour each dialog opened with
    int unexpected = 0;

    void message(QWidget *, const QString &) override { fault(); }
    std::optional<SaveChoice> saveFile(QWidget *, const QStringList &, const QString &) override { return fault(); }
    std::optional<QColor> chooseColor(QWidget *, const QColor &initial) override
    {
        offered.append(initial);
        return colours.isEmpty() ? fault() : colours.takeFirst();
    }
    std::nullopt_t fault() { return ++unexpected, std::nullopt; }
};

int px(int twips) { return twips::toPixels(twips, QGuiApplication::primaryScreen()->logicalDotsPerInchY()); }

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

    std::unique_ptr<MarkloomForm> m_form;
    ScriptedPrompts *m_prompts = nullptr;

    MarkloomForm &startForm()
    {
        m_form = std::make_unique<MarkloomForm>();
        auto prompts = std::make_unique<ScriptedPrompts>();
        m_prompts = prompts.get();
        m_form->setPrompts(std::move(prompts));
        m_form->Form_Load();
        return *m_form;
    }
    SettingDialog *openDialog()
    {
        m_form->action(QStringLiteral("ID_SETBR"))->trigger();
        return m_form->settingDialog();
    }

private Q_SLOTS:
    void init()
    {
        // Every test starts as a first start: the store is empty.
        for (const settings::Value &v : settings::values())
            SetRegSetting(settings::kProgramName, QString::fromLatin1(v.name), QString());
    }
    void cleanup()
    {
        if (m_prompts)
            QCOMPARE(m_prompts->unexpected, 0);
        m_form.reset();
        m_prompts = nullptr;
    }

    void opensWithStoredChoice_data()
    {
        QTest::addColumn<QString>("storedChoice");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("backColor");
        QTest::addColumn<QColor>("bar");
        QTest::newRow("stored 0, field 1") << "0" << "1" << "255" << QColor(255, 0, 0); // 0x00BBGGRR
        QTest::newRow("stored 1, field 0") << "1" << "0" << "0" << QColor(0, 0, 0);
        QTest::newRow("other text, colour not a number") << "yes" << "0" << "blue" << QColor(Qt::white);
    }
    void opensWithStoredChoice()
    {
        QFETCH(QString, storedChoice);
        QFETCH(QString, field);
        QFETCH(QString, backColor);
        QFETCH(QColor, bar);
        MarkloomForm &form = startForm();
        SetRegSetting(settings::kProgramName, QStringLiteral("bUserHome"), storedChoice);
        form.m_bUserHome = field;
        form.m_UserHome = QStringLiteral("http://mine.example/start");
        form.m_CurrentFont = QStringLiteral("No Such Face");
        form.m_CurrentFontSize = QStringLiteral("13.5");
        form.m_BackColor = backColor;

        SettingDialog *dialog = openDialog();
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
        const bool custom = storedChoice != QLatin1String("0");
        QCOMPARE(dialog->CustomHomeOption->isChecked(), custom);
        QCOMPARE(dialog->HomeOption->isChecked(), !custom);
        QCOMPARE(dialog->HomeAddressText->isEnabled(), custom);
        QCOMPARE(dialog->HomeAddressText->text(), QStringLiteral("http://mine.example/start"));
        // Texts that are no entry of their lists are shown as they are.
        QCOMPARE(dialog->FontSizeCombo->currentText(), QStringLiteral("13.5"));
        QCOMPARE(dialog->FontCombo->currentText(), QStringLiteral("No Such Face"));
        QCOMPARE(dialog->backColorBarColor(), bar);
        QCOMPARE(form.m_bUserHome, field); // opening changes nothing

        QCOMPARE(dialog->windowTitle(), QStringLiteral(u"ブラウザの設定"));
        QCOMPARE(dialog->SettingTab->count(), 3);
        QCOMPARE(dialog->SettingTab->tabText(0) + dialog->SettingTab->tabText(1) + dialog->SettingTab->tabText(2),
                 QStringLiteral(u"ホームの設定フォント設定色の設定"));
        // Free text is never added to the list, and Return presses no button.
        QTest::keyClicks(dialog->FontSizeCombo->lineEdit(), QStringLiteral("9"));
        QTest::keyClick(dialog->FontSizeCombo->lineEdit(), Qt::Key_Return);
        QVERIFY(dialog->isVisible());
        QCOMPARE(form.m_CurrentFontSize, QStringLiteral("13.5"));
        QCOMPARE(items(dialog->FontSizeCombo), settings::fontSizeChoices());
        QVERIFY(dialog->FontCombo->count() > 0);
        QCOMPARE(items(dialog->FontCombo), settings::selectableFonts(QFontDatabase::families()));
    }

    void layout_data()
    {
        QTest::addColumn<int>("page"); // -1: placed on the dialog itself, else a tab page
        QTest::addColumn<QRect>("design");
        QTest::addColumn<QString>("caption");
        const auto row = [](const char *name, int page, QRect design, const QString &caption = {}) {
            QTest::newRow(name) << page << design << caption;
        };
        row("SettingTab", -1, {120, 120, 6015, 3375});
        row("OKButton", -1, {2160, 2880, 1215, 375}, QStringLiteral("OK"));
        row("AplyButton", -1, {3480, 2880, 1215, 375}, QStringLiteral(u"適用"));
        row("CancelButton", -1, {4800, 2880, 1215, 375}, QStringLiteral(u"ｷｬﾝｾﾙ"));
        row("CustomHomeOption", 0, {240, 480, 4935, 615}, QStringLiteral(u"ホームを指定する"));
        row("HomeAddressText", 0, {240, 1200, 4335, 375});
        row("HomeOption", 0, {240, 1920, 5055, 495}, QStringLiteral(u"IEで設定されたホーム"));
        row("FontLabel", 1, {240, 600, 2655, 255}, QStringLiteral(u"フォント"));
        row("FontCombo", 1, {240, 960, 4095, 300});
        row("FontSizeLabel", 1, {240, 1440, 4095, 255}, QStringLiteral(u"フォントサイズ"));
        row("FontSizeCombo", 1, {240, 1800, 855, 300});
        row("BackColorLabel", 2, {240, 600, 1455, 375}, QStringLiteral(u"背景色"));
        row("BackColorBar", 2, {720, 1080, 3375, 495});
        row("BackColorCommand", 2, {4440, 1080, 1095, 495}, QStringLiteral(u"色の選択"));
    }
    void layout()
    {
        QFETCH(int, page);
        QFETCH(QRect, design);
        QFETCH(QString, caption);
        startForm();
        SettingDialog *dialog = openDialog();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(dialog->size(), QSize(px(6240), px(3585)));
        QWidget *control = dialog->findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(control);
        if (!caption.isEmpty())
            QCOMPARE(control->property("text").toString(), caption);
        if (page >= 0)
            dialog->SettingTab->setCurrentIndex(page);
        QVERIFY(control->isVisible());
        // Page controls are placed relative to the tab control, its header included.
        QWidget *frame = page >= 0 ? static_cast<QWidget *>(dialog->SettingTab) : dialog;
        QCOMPARE(control->mapTo(frame, QPoint(0, 0)), QPoint(px(design.left()), px(design.top())));
        QCOMPARE(control->width(), px(design.width()));
        QVERIFY(control->height() >= px(design.height())); // text controls may grow for their font
        // Nothing covers a control, the buttons over the tab control included.
        QWidget *hit = dialog->childAt(control->mapTo(dialog, control->rect().center()));
        QVERIFY(hit == control || control->isAncestorOf(hit));
    }

    void homeChoiceApplyOkReopen()
    {
        MarkloomForm &form = startForm();
        const QString ownHome = form.m_UserHome;
        SettingDialog *dialog = openDialog();
        // The browser's own home page: Apply leaves the custom address alone.
        dialog->CustomHomeOption->click();
        dialog->HomeAddressText->setText(QStringLiteral("http://custom.example/"));
        dialog->HomeOption->click();
        QVERIFY(!dialog->HomeAddressText->isEnabled());
        dialog->AplyButton->click();
        QCOMPARE(form.m_bUserHome, QStringLiteral("0"));
        QCOMPARE(form.m_UserHome, ownHome);
        // The custom option takes the typed address; OK applies and closes.
        dialog->CustomHomeOption->click();
        QVERIFY(dialog->HomeAddressText->isEnabled());
        dialog->AplyButton->click();
        QCOMPARE(form.m_bUserHome, QStringLiteral("1"));
        QCOMPARE(form.m_UserHome, QStringLiteral("http://custom.example/"));
        dialog->OKButton->click();
        QTRY_VERIFY(!form.settingDialog());
        // The fields reach the store only at shut-down.
        QCOMPARE(GetRegSetting(settings::kProgramName, QStringLiteral("bUserHome")), QStringLiteral("0"));

        // Reopened: the options show the stored choice, the box the applied address; OK applies what is shown.
        dialog = openDialog();
        QVERIFY(dialog->HomeOption->isChecked());
        QCOMPARE(dialog->HomeAddressText->text(), QStringLiteral("http://custom.example/"));
        dialog->OKButton->click();
        QCOMPARE(form.m_bUserHome, QStringLiteral("0"));
        QCOMPARE(form.m_UserHome, QStringLiteral("http://custom.example/"));
    }

    void closingKeepsOnlyWhatWasApplied_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel button") << "cancel";
        QTest::newRow("close box") << "close";
        QTest::newRow("escape key") << "escape";
    }
    void closingKeepsOnlyWhatWasApplied()
    {
        QFETCH(QString, how);
        MarkloomForm &form = startForm();
        const QString home = form.m_UserHome;
        SettingDialog *dialog = openDialog();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        dialog->FontSizeCombo->setEditText(QStringLiteral("15"));
        m_prompts->colours = {QColor(0x11, 0x22, 0x33), QColor(0x44, 0x55, 0x66)};
        dialog->BackColorCommand->click();
        dialog->AplyButton->click();

        // Edits after Apply survive reopening while open ...
        dialog->FontSizeCombo->setEditText(QStringLiteral("20"));
        dialog->BackColorCommand->click();
        dialog->CustomHomeOption->click();
        dialog->HomeAddressText->setText(QStringLiteral("http://dropped.example/"));
        dialog->SettingTab->setCurrentIndex(2);
        dialog->lower();
        QCOMPARE(openDialog(), dialog);
        QVERIFY(dialog->CustomHomeOption->isChecked());
        QCOMPARE(dialog->HomeAddressText->text(), QStringLiteral("http://dropped.example/"));
        QCOMPARE(dialog->FontSizeCombo->currentText(), QStringLiteral("20"));
        QCOMPARE(dialog->SettingTab->currentIndex(), 2);

        // ... and are dropped by leaving without applying them.
        if (how == QLatin1String("cancel"))
            dialog->CancelButton->click();
        else if (how == QLatin1String("close"))
            dialog->close();
        else
            QTest::keyClick(dialog, Qt::Key_Escape);
        QTRY_VERIFY(!form.settingDialog());
        QCOMPARE(form.m_bUserHome, QStringLiteral("0"));
        QCOMPARE(form.m_UserHome, home);
        QCOMPARE(form.HTMLSorceText->PaneFontSize(), 15.0);
        QCOMPARE(form.HTMLSorceText->BackColor(), QColor(0x11, 0x22, 0x33));
    }

    void roundTripThroughShutDown()
    {
        MarkloomForm &form = startForm();
        SettingDialog *dialog = openDialog();
        dialog->CustomHomeOption->click();
        dialog->HomeAddressText->setText(QStringLiteral("qrc:/markloom/home.html#trip"));
        dialog->FontCombo->setEditText(QStringLiteral("DejaVu Sans Mono"));
        // A size that is not a number keeps the previous one; the face still applies.
        dialog->FontSizeCombo->setEditText(QStringLiteral("large"));
        dialog->AplyButton->click();
        QCOMPARE(form.m_CurrentFontSize, settings::defaultFontSize());
        QCOMPARE(form.HTMLSorceText->PaneFontSize(), 11.0);
        QCOMPARE(form.HTMLSorceText->PaneFontFace(), QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(dialog->FontSizeCombo->currentText(), QStringLiteral("large"));
        dialog->FontSizeCombo->setEditText(QStringLiteral("10.5"));
        // A cancelled colour dialog leaves the bar; a chosen colour waits for Apply or OK.
        const QColor chosen(0x12, 0x34, 0x56);
        m_prompts->colours = {std::nullopt, chosen};
        dialog->BackColorCommand->click();
        dialog->BackColorCommand->click();
        QCOMPARE(m_prompts->offered, (QList<QColor>{Qt::white, Qt::white}));
        QCOMPARE(dialog->backColorBarColor(), chosen);
        QCOMPARE(form.HTMLSorceText->BackColor(), QColor(Qt::white));
        dialog->OKButton->click();
        QCOMPARE(form.HTMLSorceText->PaneFontSize(), 10.5);
        QCOMPARE(form.HTMLSorceText->BackColor(), chosen);
        QTRY_VERIFY(!form.settingDialog());
        form.close(); // shut-down writes the fields; quitting without a running loop is harmless here
        QCOMPARE(m_prompts->unexpected, 0);

        MarkloomForm &next = startForm();
        QCOMPARE(next.HTMLSorceText->PaneFontFace(), QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(next.HTMLSorceText->PaneFontSize(), 10.5);
        QCOMPARE(next.HTMLSorceText->BackColor(), chosen);
        dialog = openDialog();
        QVERIFY(dialog->CustomHomeOption->isChecked());
        QCOMPARE(dialog->HomeAddressText->text(), QStringLiteral("qrc:/markloom/home.html#trip"));
    }

    void screenshots()
    {
        // Pictures for a person to look at: MARKLOOM_SCREENSHOT_DIR=/tmp, run under xvfb-run.
        const QString dir = qEnvironmentVariable("MARKLOOM_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("MARKLOOM_SCREENSHOT_DIR not set");
        startForm();
        SettingDialog *dialog = openDialog();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        for (int page = 0; page < dialog->SettingTab->count(); ++page) {
            dialog->SettingTab->setCurrentIndex(page);
            QVERIFY(dialog->grab().save(QStringLiteral("%1/settingdialog-tab%2.png").arg(dir).arg(page + 1)));
        }
    }
};

MARKLOOM_UI_TEST_MAIN(TestSettingDialog)
#include "tst_settingdialog.moc"
