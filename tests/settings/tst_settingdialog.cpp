#include "app/markloomform.h"
#include "app/settingsdefaults.h"
#include "app/settingsstore.h"
#include "platform/sourcepane.h"
#include "settings/settingdialog.h"
#include "support/scripted.h"
#include "support/testpages.h"

#include <QAction>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QtTest>

#include <memory>

class TestSettingDialog : public QObject
{
    Q_OBJECT

    std::unique_ptr<MarkloomForm> m_form;
    markloomtest::ScriptedPrompts *m_prompts = nullptr;

    MarkloomForm &startForm()
    {
        m_form = std::make_unique<MarkloomForm>();
        m_prompts = markloomtest::installScripted(*m_form).prompts;
        m_form->Form_Load();
        return *m_form;
    }
    const settings::Values &values() const { return m_form->settings().values(); }
    SettingDialog *openDialog()
    {
        m_form->action(QStringLiteral("ID_SETBR"))->trigger();
        return m_form->settingDialog();
    }

private Q_SLOTS:
    void init()
    {
        // Every test starts as a first start: the store is empty.
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brindlecot"), settings::kProgramName)
            .clear();
    }
    void cleanup()
    {
        if (m_prompts)
            QVERIFY(m_prompts->messages.isEmpty() && m_prompts->saveStarts.isEmpty());
        m_form.reset();
        m_prompts = nullptr;
    }

    void opensWithStoredChoice_data()
    {
        QTest::addColumn<QString>("storedChoice");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("backColor");
        QTest::addColumn<QColor>("bar");
        QTest::newRow("stored 0, field 1") << "0"
                                           << "1"
                                           << "255" << QColor(255, 0, 0); // 0x00BBGGRR
        QTest::newRow("stored 1, field 0") << "1"
                                           << "0"
                                           << "0" << QColor(0, 0, 0);
        QTest::newRow("other text, colour not a number") << "yes"
                                                         << "0"
                                                         << "blue" << QColor(Qt::white);
    }
    void opensWithStoredChoice()
    {
        QFETCH(QString, storedChoice);
        QFETCH(QString, field);
        QFETCH(QString, backColor);
        QFETCH(QColor, bar);
        MarkloomForm &form = startForm();
        SetRegSetting(settings::kProgramName, QStringLiteral("bUserHome"), storedChoice);
        form.settings().setValues({field, "http://mine.example/start", "No Such Face", "13.5", backColor});

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
        // A face not installed shows as the fixed-width font, and the dialog
        // says so; the value stays.
        const QString fixed = QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
        QCOMPARE(form.HTMLSorceText->PaneFontFace(), fixed);
        QCOMPARE(dialog->FontNoticeLabel->text(),
                 QStringLiteral(u"「No Such Face」がないため、「%1」で表示します。").arg(fixed));
        dialog->FontCombo->setEditText(fixed);
        QCOMPARE(dialog->FontNoticeLabel->text(), QString());
        dialog->FontCombo->setEditText(QStringLiteral("No Such Face"));
        QCOMPARE(dialog->backColorBarColor(), bar);
        QCOMPARE(values().m_bUserHome, field); // opening changes nothing

        // Free text is never added to the list; Return is OK.
        QTest::keyClicks(dialog->FontSizeCombo->lineEdit(), QStringLiteral("9"));
        QTest::keyClick(dialog->FontSizeCombo->lineEdit(), Qt::Key_Return);
        QTRY_VERIFY(!form.settingDialog());
        QCOMPARE(values().m_CurrentFontSize, QStringLiteral("13.59"));
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
        const QString home = values().m_UserHome;
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
        QCOMPARE(values().m_bUserHome, QStringLiteral("0"));
        QCOMPARE(values().m_UserHome, home);
        QCOMPARE(form.HTMLSorceText->PaneFontSize(), 15.0);
        QCOMPARE(form.HTMLSorceText->BackColor(), QColor(0x11, 0x22, 0x33));
    }

    void roundTripThroughShutDown()
    {
        MarkloomForm &form = startForm();
        const QString ownHome = values().m_UserHome;
        const QString custom = QStringLiteral("qrc:/markloom/home.html#trip");
        SettingDialog *dialog = openDialog();
        // The browser's own home page: Apply leaves the custom address alone.
        dialog->CustomHomeOption->click();
        dialog->HomeAddressText->setText(custom);
        dialog->HomeOption->click();
        QVERIFY(!dialog->HomeAddressText->isEnabled());
        dialog->AplyButton->click();
        QCOMPARE(values().m_bUserHome, QStringLiteral("0"));
        QCOMPARE(values().m_UserHome, ownHome);
        // The custom option takes the typed address. A size that is not a
        // number keeps the previous one; the face still applies.
        dialog->CustomHomeOption->click();
        QVERIFY(dialog->HomeAddressText->isEnabled());
        dialog->FontCombo->setEditText(QStringLiteral("DejaVu Sans Mono"));
        dialog->FontSizeCombo->setEditText(QStringLiteral("large"));
        dialog->AplyButton->click();
        QCOMPARE(values().m_bUserHome, QStringLiteral("1"));
        QCOMPARE(values().m_UserHome, custom);
        QCOMPARE(values().m_CurrentFontSize, settings::defaultFontSize());
        QCOMPARE(form.HTMLSorceText->PaneFontSize(), 11.0);
        QCOMPARE(form.HTMLSorceText->PaneFontFace(), QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(dialog->FontSizeCombo->currentText(), QStringLiteral("large"));
        dialog->FontSizeCombo->setEditText(QStringLiteral("10.5"));
        // A cancelled colour dialog leaves the bar; a chosen colour waits for Apply or OK.
        const QColor chosen(0x12, 0x34, 0x56);
        m_prompts->colours = {std::nullopt, chosen};
        dialog->BackColorCommand->click();
        dialog->BackColorCommand->click();
        QCOMPARE(m_prompts->offeredColours, (QList<QColor>{Qt::white, Qt::white}));
        QCOMPARE(dialog->backColorBarColor(), chosen);
        QCOMPARE(form.HTMLSorceText->BackColor(), QColor(Qt::white));
        dialog->OKButton->click();
        QCOMPARE(form.HTMLSorceText->PaneFontSize(), 10.5);
        QCOMPARE(form.HTMLSorceText->BackColor(), chosen);
        form.action(QStringLiteral("ID_WordWrap"))->trigger(); // 表示 → 折り返し
        QCOMPARE(form.HTMLSorceText->wrapMode(), QsciScintilla::WrapWord);
        QTRY_VERIFY(!form.settingDialog());
        // The fields reach the store only at shut-down: reopened, the options
        // show the stored choice, the box the applied address.
        QCOMPARE(GetRegSetting(settings::kProgramName, QStringLiteral("bUserHome")), QStringLiteral("0"));
        dialog = openDialog();
        QVERIFY(dialog->HomeOption->isChecked());
        QCOMPARE(dialog->HomeAddressText->text(), custom);
        dialog->CustomHomeOption->click();
        dialog->OKButton->click();
        QTRY_VERIFY(!form.settingDialog());
        form.close(); // shut-down writes the values; quitting without a running loop is harmless here

        MarkloomForm &next = startForm();
        QCOMPARE(next.HTMLSorceText->PaneFontFace(), QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(next.HTMLSorceText->PaneFontSize(), 10.5);
        QCOMPARE(next.HTMLSorceText->BackColor(), chosen);
        QCOMPARE(next.HTMLSorceText->wrapMode(), QsciScintilla::WrapWord);
        QVERIFY(next.action(QStringLiteral("ID_WordWrap"))->isChecked());
        dialog = openDialog();
        QVERIFY(dialog->CustomHomeOption->isChecked());
        QCOMPARE(dialog->HomeAddressText->text(), custom);
    }
};

MARKLOOM_UI_TEST_MAIN(TestSettingDialog)
#include "tst_settingdialog.moc"
