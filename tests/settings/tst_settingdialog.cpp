// The settings command and its dialog over the shared settings, a pane that
// shows them and scripted dialogs: no main window, no web engine.

#include "app/panesettings.h"
#include "app/settingsdefaults.h"
#include "app/settingsstore.h"
#include "platform/sourcepane.h"
#include "settings/settingcommands.h"
#include "settings/settingdialog.h"
#include "support/scripted.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QtTest>

namespace {

// The settings as a window shares them, shown in a pane the way it shows them.
struct Desk {
    SettingsModel settings;
    SourcePane pane;
    Services services;
    markloomtest::ScriptedPrompts *prompts = markloomtest::installScripted(services).prompts;
    SettingCommands commands{settings, services};
    Desk()
    {
        QObject::connect(&settings, &SettingsModel::changed, &pane,
                         [this](const settings::Values &v) { applyPaneSettings(pane, v); });
        settings.load();
    }
    const settings::Values &values() const { return settings.values(); }
    SettingDialog *open()
    {
        commands.show();
        return commands.dialog();
    }
};

} // namespace

class TestSettingDialog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        // Every test starts as a first start: the store is empty.
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brindlecot"), settings::kProgramName)
            .clear();
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

    // The options show the stored choice, everything else the shared values,
    // as they are; a face that is not installed is named with the one shown
    // instead; Return is OK.
    void opensWithStoredChoice()
    {
        QFETCH(QString, storedChoice);
        QFETCH(QString, field);
        QFETCH(QString, backColor);
        QFETCH(QColor, bar);
        Desk d;
        SetRegSetting(settings::kProgramName, QStringLiteral("bUserHome"), storedChoice);
        d.settings.setValues({field, "http://mine.example/start", "No Such Face", "13.5", backColor});

        SettingDialog *dialog = d.open();
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal() && !dialog->parentWidget());
        const bool custom = storedChoice != QLatin1String("0");
        QCOMPARE(dialog->CustomHomeOption->isChecked(), custom);
        QCOMPARE(dialog->HomeAddressText->isEnabled(), custom);
        QCOMPARE(dialog->HomeAddressText->text(), QStringLiteral("http://mine.example/start"));
        QCOMPARE(dialog->FontSizeCombo->currentText(), QStringLiteral("13.5"));
        QCOMPARE(dialog->FontCombo->currentText(), QStringLiteral("No Such Face"));
        const QString shown = d.pane.PaneFontFace();
        QCOMPARE(shown, paneFace(QStringLiteral("No Such Face")));
        QCOMPARE(dialog->FontNoticeLabel->text(),
                 QStringLiteral(u"「No Such Face」がないため、「%1」で表示します。").arg(shown));
        dialog->FontCombo->setEditText(shown);
        QCOMPARE(dialog->FontNoticeLabel->text(), QString());
        dialog->FontCombo->setEditText(QStringLiteral("No Such Face"));
        QCOMPARE(dialog->backColorBarColor(), bar);
        QCOMPARE(d.values().m_bUserHome, field); // opening changes nothing

        // Free text is never added to the list; Return is OK.
        QTest::keyClicks(dialog->FontSizeCombo->lineEdit(), QStringLiteral("9"));
        QTest::keyClick(dialog->FontSizeCombo->lineEdit(), Qt::Key_Return);
        QTRY_VERIFY(!d.commands.dialog());
        QCOMPARE(d.values().m_CurrentFontSize, QStringLiteral("13.59"));
        QCOMPARE(d.pane.PaneFontSize(), 13.59);
    }

    void closingKeepsOnlyWhatWasApplied_data()
    {
        QTest::addColumn<QString>("how");
        for (const char *how : {"cancel", "close", "escape"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }

    // Apply takes effect in the pane at once; what was changed after it
    // survives reopening the open dialog and is dropped by leaving it.
    void closingKeepsOnlyWhatWasApplied()
    {
        QFETCH(QString, how);
        Desk d;
        const QString home = d.values().m_UserHome;
        SettingDialog *dialog = d.open();
        QVERIFY(QTest::qWaitForWindowExposed(dialog, 30000));
        dialog->FontSizeCombo->setEditText(QStringLiteral("15"));
        d.prompts->colours = {std::nullopt, QColor(0x11, 0x22, 0x33), QColor(0x44, 0x55, 0x66)};
        dialog->BackColorCommand->click(); // cancelled: the bar stays
        QCOMPARE(dialog->backColorBarColor(), QColor(Qt::white));
        dialog->BackColorCommand->click();
        QCOMPARE(d.pane.BackColor(), QColor(Qt::white)); // only on Apply
        dialog->AplyButton->click();
        QCOMPARE(d.pane.PaneFontSize(), 15.0);
        QCOMPARE(d.pane.BackColor(), QColor(0x11, 0x22, 0x33));

        dialog->FontSizeCombo->setEditText(QStringLiteral("20"));
        dialog->BackColorCommand->click();
        dialog->CustomHomeOption->click();
        dialog->HomeAddressText->setText(QStringLiteral("http://dropped.example/"));
        dialog->SettingTab->setCurrentIndex(2);
        QCOMPARE(d.open(), dialog);
        QVERIFY(dialog->CustomHomeOption->isChecked());
        QCOMPARE(dialog->FontSizeCombo->currentText(), QStringLiteral("20"));
        QCOMPARE(dialog->SettingTab->currentIndex(), 2);

        if (how == QLatin1String("cancel"))
            dialog->CancelButton->click();
        else if (how == QLatin1String("close"))
            dialog->close();
        else
            QTest::keyClick(dialog, Qt::Key_Escape);
        QTRY_VERIFY(!d.commands.dialog());
        QCOMPARE(d.values().m_bUserHome, QStringLiteral("0"));
        QCOMPARE(d.values().m_UserHome, home);
        QCOMPARE(d.pane.PaneFontSize(), 15.0);
        QCOMPARE(d.pane.BackColor(), QColor(0x11, 0x22, 0x33));
        QVERIFY(d.prompts->messages.isEmpty());
    }

    // The choice reaches the store only when the window saves its settings:
    // reopened before that, the options show the stored choice and the box
    // the applied address; afterwards the choice shown is the one applied.
    void storedChoiceAfterSave()
    {
        Desk d;
        const QString custom = QStringLiteral("qrc:/markloom/home.html#trip");
        SettingDialog *dialog = d.open();
        dialog->CustomHomeOption->click();
        dialog->HomeAddressText->setText(custom);
        dialog->OKButton->click();
        QTRY_VERIFY(!d.commands.dialog());
        QCOMPARE(d.values().m_bUserHome, QStringLiteral("1"));
        dialog = d.open();
        QVERIFY(dialog->HomeOption->isChecked());
        QCOMPARE(dialog->HomeAddressText->text(), custom);
        dialog->CancelButton->click();
        QTRY_VERIFY(!d.commands.dialog());
        QVERIFY(d.settings.save());
        QVERIFY(d.open()->CustomHomeOption->isChecked());
    }
};

MARKLOOM_WIDGET_TEST_MAIN(TestSettingDialog)
#include "tst_settingdialog.moc"
