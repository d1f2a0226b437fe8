#include "settings/settingchoices.h"
#include "support/testenv.h"

#include <QtTest>

class TestSettingChoices : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fontList();
    void sizeList();
    void acceptableSize_data();
    void acceptableSize();
    void colourText_data();
    void colourText();
    void apply_data();
    void apply();
};

void TestSettingChoices::fontList()
{
    const QStringList families{QStringLiteral("Sans"), QStringLiteral("@MS Gothic"), QStringLiteral("Zeta"),
                               QStringLiteral("Mono@"), QStringLiteral("A@B"), QStringLiteral("Alpha")};
    // Order kept as given, not sorted.
    QCOMPARE(settings::selectableFonts(families),
             (QStringList{QStringLiteral("Sans"), QStringLiteral("Zeta"), QStringLiteral("Alpha")}));
    QVERIFY(settings::selectableFonts({}).isEmpty());
}

void TestSettingChoices::sizeList()
{
    const QStringList sizes = settings::fontSizeChoices();
    QCOMPARE(sizes.size(), 20);
    QCOMPARE(sizes.first(), QStringLiteral("8"));
    QCOMPARE(sizes.at(1), QStringLiteral("9"));
    QCOMPARE(sizes.at(2), QStringLiteral("10"));
    QCOMPARE(sizes.last(), QStringLiteral("27"));
}

void TestSettingChoices::acceptableSize_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("points"); // 0: rejected
    QTest::newRow("whole") << "12" << 12.0;
    QTest::newRow("fraction") << "10.5" << 10.5;
    QTest::newRow("blanks around") << " 9 " << 9.0;
    QTest::newRow("largest") << "1638" << 1638.0;
    QTest::newRow("too large") << "1639" << 0.0;
    QTest::newRow("huge exponent") << "1e300" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("word") << "big" << 0.0;
    QTest::newRow("zero") << "0" << 0.0;
    QTest::newRow("negative") << "-4" << 0.0;
    QTest::newRow("infinity") << "inf" << 0.0;
    QTest::newRow("decimal comma") << "10,5" << 0.0;
}

void TestSettingChoices::acceptableSize()
{
    QFETCH(QString, text);
    QFETCH(double, points);
    const std::optional<double> size = settings::acceptableFontSize(text);
    QCOMPARE(size.value_or(0.0), points);
}

void TestSettingChoices::colourText_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<quint32>("bgr");
    QTest::addColumn<QString>("text");
    QTest::newRow("white") << "16777215" << 0xFFFFFFu << "16777215";
    QTest::newRow("black") << "0" << 0u << "0";
    QTest::newRow("red") << "255" << 0x0000FFu << "255";
    QTest::newRow("leading zeros and blank") << " 000255" << 0x0000FFu << "255";
    QTest::newRow("not a number") << "blue" << 0xFFFFFFu << "16777215";
    QTest::newRow("empty") << "" << 0xFFFFFFu << "16777215";
    QTest::newRow("hex is not decimal") << "0xFF" << 0xFFFFFFu << "16777215";
}

void TestSettingChoices::colourText()
{
    QFETCH(QString, stored);
    QFETCH(quint32, bgr);
    QFETCH(QString, text);
    QCOMPARE(settings::bgrOrDefault(stored), bgr);
    QCOMPARE(settings::bgrText(bgr), text);
}

void TestSettingChoices::apply_data()
{
    QTest::addColumn<bool>("custom");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("size");
    QTest::addColumn<quint32>("bgr");
    QTest::addColumn<QStringList>("expected"); // bUserHome, Home, FontFace, FontSize, BackColor

    // Starting point for every row: custom home at a.example, Sans 12, white.
    QTest::newRow("custom address taken")
        << true << "b.example" << "Serif" << "14" << 0x00FF00u
        << QStringList{"1", "b.example", "Serif", "14", "65280"};
    QTest::newRow("own home keeps the address")
        << false << "typed but not used" << "Sans" << "12" << 0xFFFFFFu
        << QStringList{"0", "a.example", "Sans", "12", "16777215"};
    QTest::newRow("empty address and uninstalled font unchecked")
        << true << "" << "No Such Face" << "9" << 0u << QStringList{"1", "", "No Such Face", "9", "0"};
    QTest::newRow("fraction stored as typed")
        << true << "a.example" << "Sans" << "10.5" << 0xFFFFFFu
        << QStringList{"1", "a.example", "Sans", "10.5", "16777215"};
    QTest::newRow("size not a number keeps the previous")
        << true << "a.example" << "Mono" << "abc" << 0x123456u
        << QStringList{"1", "a.example", "Mono", "12", "1193046"};
    QTest::newRow("empty size keeps the previous")
        << true << "a.example" << "Sans" << "" << 0xFFFFFFu
        << QStringList{"1", "a.example", "Sans", "12", "16777215"};
}

void TestSettingChoices::apply()
{
    QFETCH(bool, custom);
    QFETCH(QString, address);
    QFETCH(QString, font);
    QFETCH(QString, size);
    QFETCH(quint32, bgr);
    QFETCH(QStringList, expected);

    const settings::Fields current{QStringLiteral("1"), QStringLiteral("a.example"), QStringLiteral("Sans"),
                                   QStringLiteral("12"), QStringLiteral("16777215")};
    settings::Choices choices;
    choices.customHome = custom;
    choices.address = address;
    choices.font = font;
    choices.fontSize = size;
    choices.bgr = bgr;
    const settings::Fields next = settings::applyChoices(current, choices);
    QCOMPARE((QStringList{next.bUserHome, next.userHome, next.font, next.fontSize, next.backColor}), expected);
}

MARKLOOM_CORE_TEST_MAIN(TestSettingChoices)
#include "tst_settingchoices.moc"
