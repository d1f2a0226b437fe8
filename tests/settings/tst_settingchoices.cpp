#include "settings/settingchoices.h"
#include "support/testenv.h"

#include <QtTest>

class TestSettingChoices : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lists()
    {
        // Vertical-writing faces ("@" anywhere) are left out; the platform's order is kept, not sorted.
        QCOMPARE(settings::selectableFonts({"Sans", "@MS Gothic", "Zeta", "Mono@", "A@B", "Alpha"}),
                 (QStringList{"Sans", "Zeta", "Alpha"}));
        const QStringList sizes = settings::fontSizeChoices();
        QCOMPARE(sizes.size(), 20);
        QCOMPARE(sizes.first() + QLatin1Char('-') + sizes.last(), QStringLiteral("8-27"));
    }

    void colourText_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<quint32>("bgr");
        QTest::addColumn<QString>("text");
        QTest::newRow("red, leading zeros and blank") << " 000255" << 0x0000FFu << "255";
        // A stored text that is not a number falls back to the default white.
        QTest::newRow("not a number") << "blue" << 0xFFFFFFu << "16777215";
        QTest::newRow("hex is not decimal") << "0xFF" << 0xFFFFFFu << "16777215";
    }
    void colourText()
    {
        QFETCH(QString, stored);
        QFETCH(quint32, bgr);
        QFETCH(QString, text);
        QCOMPARE(settings::bgrOrDefault(stored), bgr);
        QCOMPARE(settings::bgrText(bgr), text);
    }

    void apply_data()
    {
        QTest::addColumn<bool>("custom");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QStringList>("expected"); // bUserHome, Home, FontFace, FontSize, BackColor
        // Starting point for every row: custom home at a.example, Sans 12, white; the choices pick Serif, green.
        QTest::newRow("custom address taken") << true << "b.example" << "14"
                                              << QStringList{"1", "b.example", "Serif", "14", "65280"};
        QTest::newRow("own home keeps the address") << false << "typed, not used" << "12"
                                                    << QStringList{"0", "a.example", "Serif", "12", "65280"};
        QTest::newRow("empty address taken") << true << "" << "9" << QStringList{"1", "", "Serif", "9", "65280"};
        QTest::newRow("fraction stored as typed") << true << "a.example" << "10.5"
                                                  << QStringList{"1", "a.example", "Serif", "10.5", "65280"};
        // A size the pane cannot take keeps the previous one instead of being stored.
        for (const char *size : {"abc", "", "0", "-2", "1639", "1e300", "inf", "10,5"})
            QTest::addRow("size '%s' keeps the previous", size)
                << true << "a.example" << QString::fromLatin1(size)
                << QStringList{"1", "a.example", "Serif", "12", "65280"};
    }
    void apply()
    {
        QFETCH(bool, custom);
        QFETCH(QString, address);
        QFETCH(QString, size);
        QFETCH(QStringList, expected);
        const settings::Fields current{"1", "a.example", "Sans", "12", "16777215"};
        settings::Choices choices;
        choices.customHome = custom;
        choices.address = address;
        choices.font = QStringLiteral("Serif");
        choices.fontSize = size;
        choices.bgr = 0x00FF00u;
        const settings::Fields next = settings::applyChoices(current, choices);
        QCOMPARE((QStringList{next.bUserHome, next.userHome, next.font, next.fontSize, next.backColor}), expected);
    }
};

MARKLOOM_CORE_TEST_MAIN(TestSettingChoices)
#include "tst_settingchoices.moc"
