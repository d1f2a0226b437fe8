#include "app/captionrule.h"
#include "app/documentmodel.h"
#include "app/settingsdefaults.h"
#include "app/settingsmodel.h"
#include "app/settingsstore.h"
#include "browse/docname.h"
#include "platform/besiderule.h"
#include "settings/settingchoices.h"
#include "support/testenv.h"

#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

Q_DECLARE_METATYPE(unsaved::Answer)

class TestCoreRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void caption_data();
    void caption();
    void settingsParse();
    void settingsModelByName();
    void settingChoices_data();
    void settingChoices();
    void unsavedEdits_data();
    void unsavedEdits();
    void documentFlagAndCaption();
    void docName_data();
    void docName();
    void besideRect_data();
    void besideRect();
};

void TestCoreRules::caption_data()
{
    QTest::addColumn<QString>("doc");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("hasFile");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");
    QTest::newRow("start-up") << QString() << false << false << QString() << " - Markloom";
    QTest::newRow("plain") << "Page" << false << false << "x.txt" << "Page - Markloom";
    QTest::newRow("modified") << "Page" << true << false << QString() << "Page* - Markloom";
    QTest::newRow("file") << "Page" << false << true << "x.txt" << "Page x.txt - Markloom";
    QTest::newRow("file modified") << "Page" << true << true << "x.txt" << "Page* x.txt - Markloom";
    QTest::newRow("empty name modified") << QString() << true << false << QString() << "* - Markloom";
}

void TestCoreRules::caption()
{
    QFETCH(QString, doc);
    QFETCH(bool, modified);
    QFETCH(bool, hasFile);
    QFETCH(QString, title);
    QFETCH(QString, expected);
    QCOMPARE(caption::compose(doc, modified, hasFile, title), expected);
}

void TestCoreRules::settingsParse()
{
    QCOMPARE(settings::parseBgr(QStringLiteral("16777215")).value_or(0), 0xFFFFFFu);
    QCOMPARE(settings::parseBgr(QStringLiteral("255")).value_or(0), 0xFFu);
    QVERIFY(!settings::parseBgr(QStringLiteral("white")));
    QVERIFY(!settings::parseBgr(QStringLiteral("99999999999")));
    // 0x00BBGGRR: 255 is red.
    QCOMPARE(settings::bgrToRgb(0x0000FFu), 0xFF0000u);
    QCOMPARE(settings::rgbToBgr(0x123456u), 0x563412u);
    QCOMPARE(settings::bgrOrDefault(QStringLiteral(" 000255")), 0x0000FFu);
    QCOMPARE(settings::bgrOrDefault(QStringLiteral("0xFF")), 0xFFFFFFu); // not decimal: the default
    QCOMPARE(settings::bgrText(0x0000FFu), QStringLiteral("255"));
    // Vertical-writing faces ("@" anywhere) are left out; the platform's order is kept.
    QCOMPARE(settings::selectableFonts({"Sans", "@MS Gothic", "Zeta", "Mono@", "Alpha"}),
             (QStringList{"Sans", "Zeta", "Alpha"}));
    QCOMPARE(settings::fontSizeChoices().join(','), QStringLiteral("8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27"));
}

// Each value under its own name: missing and empty ones get their defaults,
// written back at once; the rest are read and written as they stand.
void TestCoreRules::settingsModelByName()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brindlecot"), QStringLiteral("Markloom"));
    store.clear();
    store.setValue("FontSize", QString());
    store.setValue("FontFace", QStringLiteral("Mono"));
    const QString longHome(5000, QLatin1Char('h')); // longer than any fixed buffer: read whole
    store.setValue("Home", longHome);
    store.setValue("BackColor", QStringLiteral("not a colour"));
    store.setValue("WordWrap", QStringLiteral("1")); // on; SyntaxColour absent: its default, on
    store.setValue("FormatOnLoad", QStringLiteral(" 1 "));
    store.sync();
    SettingsModel model;
    QSignalSpy changed(&model, &SettingsModel::changed);
    model.load();
    const settings::Values loaded{"0", longHome, "Mono", "11", "not a colour", true, true, true};
    QCOMPARE(model.values(), loaded);
    QCOMPARE(changed.size(), 1);
    store.sync();
    QCOMPARE(store.value("bUserHome").toString(), QStringLiteral("0"));
    QCOMPARE(store.value("FontSize").toString(), QStringLiteral("11"));
    QVERIFY(!store.contains("SyntaxColour"));

    settings::Values next = loaded;
    next.m_bWordWrap = false;
    next.m_bFormatOnLoad = false;
    next.m_UserHome = QStringLiteral("http://h.test/");
    next.m_BackColor = QStringLiteral("255");
    model.setValues(next);
    model.setValues(next); // the same again: no news
    QCOMPARE(changed.size(), 2);
    store.sync();
    QCOMPARE(store.value("Home").toString(), longHome); // not before save()
    model.save();
    store.sync();
    // Where the platform keeps per-user settings for our organisation.
    QVERIFY(QFile::exists(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Brindlecot/Markloom.conf")));
    QCOMPARE((QStringList{store.value("bUserHome").toString(), store.value("Home").toString(),
                          store.value("FontFace").toString(), store.value("FontSize").toString(),
                          store.value("BackColor").toString(), store.value("WordWrap").toString(),
                          store.value("SyntaxColour").toString(), store.value("FormatOnLoad").toString()}),
             (QStringList{"0", "http://h.test/", "Mono", "11", "255", "0", "1", "0"}));
}

void TestCoreRules::settingChoices_data()
{
    QTest::addColumn<bool>("custom");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QStringList>("expected"); // bUserHome, Home, FontFace, FontSize, BackColor
    // Every row starts from a custom home at a.example, Sans 12, white; the choices pick Serif, green.
    QTest::newRow("custom address taken") << true << "b.example" << "14"
                                          << QStringList{"1", "b.example", "Serif", "14", "65280"};
    QTest::newRow("own home keeps the address") << false << "typed, not used" << "12"
                                                << QStringList{"0", "a.example", "Serif", "12", "65280"};
    QTest::newRow("fraction stored as typed") << true << "" << "10.5" << QStringList{"1", "", "Serif", "10.5", "65280"};
    QTest::newRow("largest size") << true << "" << "1638" << QStringList{"1", "", "Serif", "1638", "65280"};
    // A size the pane cannot take keeps the previous one instead of being stored.
    for (const char *size : {"abc", "", "0", "-3", "1639", "inf", "nan", "10,5"})
        QTest::addRow("size '%s' keeps the previous", size)
            << true << "a.example" << QString::fromLatin1(size) << QStringList{"1", "a.example", "Serif", "12", "65280"};
}

void TestCoreRules::settingChoices()
{
    QFETCH(bool, custom);
    QFETCH(QString, address);
    QFETCH(QString, size);
    QFETCH(QStringList, expected);
    settings::Choices choices;
    choices.customHome = custom;
    choices.address = address;
    choices.font = QStringLiteral("Serif");
    choices.fontSize = size;
    choices.bgr = 0x00FF00u;
    const settings::Values next = settings::applyChoices({"1", "a.example", "Sans", "12", "16777215"}, choices);
    QCOMPARE((QStringList{next.m_bUserHome, next.m_UserHome, next.m_CurrentFont, next.m_CurrentFontSize,
                          next.m_BackColor}),
             expected);
}

// An action that drops the pane's text goes on without unsaved edits, and
// with them after 保存しない or a save that succeeded; the question is asked
// only with edits, the save run only on 保存.
void TestCoreRules::unsavedEdits_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<unsaved::Answer>("answer");
    QTest::addColumn<bool>("saveWorks");
    QTest::addColumn<bool>("proceeds");
    QTest::addColumn<int>("saves");
    using A = unsaved::Answer;
    for (const A answer : {A::Save, A::Discard, A::Cancel}) {
        for (const bool saveWorks : {true, false}) {
            const int n = int(answer) * 2 + (saveWorks ? 0 : 1);
            QTest::addRow("unmodified %d", n) << false << answer << saveWorks << true << 0;
        }
    }
    QTest::newRow("save succeeds") << true << A::Save << true << true << 1;
    QTest::newRow("save fails or is cancelled") << true << A::Save << false << false << 1;
    QTest::newRow("discard") << true << A::Discard << false << true << 0;
    QTest::newRow("cancel") << true << A::Cancel << true << false << 0;
}

void TestCoreRules::unsavedEdits()
{
    QFETCH(bool, modified);
    QFETCH(unsaved::Answer, answer);
    QFETCH(bool, saveWorks);
    QFETCH(bool, proceeds);
    QFETCH(int, saves);
    DocumentModel doc;
    doc.setModified(modified);
    int asked = 0, saved = 0;
    const bool result = doc.confirmDiscard([&] { return ++asked, answer; },
                                           [&] {
                                               ++saved;
                                               if (saveWorks)
                                                   doc.saved(QStringLiteral("/x/a.txt"), QStringLiteral("a.txt"));
                                               return saveWorks;
                                           });
    QCOMPARE(result, proceeds);
    QCOMPARE(asked, modified ? 1 : 0);
    QCOMPARE(saved, saves);
    QCOMPARE(unsaved::mayProceed(modified, answer, saveWorks && answer == unsaved::Answer::Save), proceeds);
}

// The flag follows the pane; pages and saves clear it; the caption follows
// each step; a page the user did not ask for is refused only over edits.
void TestCoreRules::documentFlagAndCaption()
{
    DocumentModel doc;
    QSignalSpy captions(&doc, &DocumentModel::captionChanged);
    QCOMPARE(doc.caption(), QStringLiteral(" - Markloom"));
    doc.navigationStarted();
    QVERIFY(doc.acceptsDocument());
    doc.documentShown({QStringLiteral("mltest://a/f.html"), QStringLiteral("Frame")}, false);
    doc.documentShown({QStringLiteral("mltest://a/one.html"), QStringLiteral("One")}, true);
    QCOMPARE(doc.caption(), QStringLiteral("One - Markloom"));
    QCOMPARE(doc.docElement().Document.URL, QStringLiteral("mltest://a/one.html"));
    QVERIFY(doc.acceptsDocument()); // nothing to lose yet
    doc.setModified(true);
    QCOMPARE(doc.caption(), QStringLiteral("One* - Markloom"));
    QVERIFY(!doc.acceptsDocument()); // a page's own navigation must not replace the edits
    doc.saveFailed(QStringLiteral("/x/bad.txt"));
    QVERIFY(doc.isModified() && !doc.hasFile());
    QCOMPARE(doc.filePath(), QStringLiteral("/x/bad.txt"));
    doc.saved(QStringLiteral("/x/a.txt"), QStringLiteral("a.txt"));
    QCOMPARE(doc.caption(), QStringLiteral("One a.txt - Markloom"));
    doc.setModified(true);
    doc.navigationStarted(); // edits given up: the old name, no mark, while loading
    QCOMPARE(doc.caption(), QStringLiteral("One a.txt - Markloom"));
    QVERIFY(!doc.isModified() && doc.acceptsDocument());
    doc.setModified(true); // typed while the page loads: the page asked for still comes
    QVERIFY(doc.acceptsDocument());
    doc.documentShown({QStringLiteral("mltest://a/two.html"), QStringLiteral("Two")}, true);
    QCOMPARE(doc.caption(), QStringLiteral("Two - Markloom"));
    QVERIFY(!doc.isModified() && doc.hasFile());
    doc.setModified(true); // the first edit after every page shows the mark
    QCOMPARE(doc.caption(), QStringLiteral("Two* a.txt - Markloom"));
    QVERIFY(!doc.acceptsDocument());
    doc.navigationStarted();
    doc.navigationEnded(); // nothing came: pages of their own are refused again over edits
    doc.setModified(true);
    QVERIFY(!doc.acceptsDocument());
    QStringList seen;
    for (const QList<QVariant> &args : captions)
        seen << args.at(0).toString().chopped(11); // without " - Markloom"
    QCOMPARE(seen, (QStringList{"Frame", "One", "One*", "One a.txt", "One* a.txt", "One a.txt", "One* a.txt", "Two",
                                "Two* a.txt", "Two a.txt", "Two* a.txt"}));
}

void TestCoreRules::docName_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("expected");
    QTest::newRow("title") << "Hello" << "https://a.test/x/y.html" << "Hello";
    QTest::newRow("segment") << "" << "https://a.test/x/y%20z.html" << "y z.html";
    QTest::newRow("trailing slash") << "" << "https://a.test/dir/" << "dir";
    QTest::newRow("host") << "" << "https://a.test/" << "a.test";
    QTest::newRow("whole") << "" << "about:blank" << "blank";
    QTest::newRow("no path, no host") << "" << "about:" << "about:";
}

void TestCoreRules::docName()
{
    QFETCH(QString, title);
    QFETCH(QString, url);
    QFETCH(QString, expected);
    QCOMPARE(documentDisplayName(title, QUrl(url)), expected);
}

void TestCoreRules::besideRect_data()
{
    // On a 1600 x 1000 screen, with a frame adding 2 x 24 to a window of 460 x 300.
    QTest::addColumn<QRect>("anchor");
    QTest::addColumn<QSize>("wanted");
    QTest::addColumn<QRect>("placed");
    const QSize w(460, 300);
    QTest::newRow("right") << QRect(100, 50, 800, 600) << w << QRect(900, 50, 462, 324);
    QTest::newRow("left") << QRect(900, 50, 600, 600) << w << QRect(438, 50, 462, 324);
    QTest::newRow("narrowed on the wider side") << QRect(340, 50, 870, 800) << w << QRect(1210, 50, 390, 324);
    QTest::newRow("narrowed on the left") << QRect(400, 50, 1100, 800) << w << QRect(0, 50, 400, 324);
    QTest::newRow("no side wide enough: over the edge") << QRect(100, 0, 1400, 900) << w << QRect(1138, 0, 462, 324);
    QTest::newRow("kept above the bottom") << QRect(100, 900, 800, 50) << w << QRect(900, 676, 462, 324);
    QTest::newRow("larger than the screen") << QRect(100, 50, 800, 600) << QSize(2000, 2000)
                                            << QRect(900, 0, 700, 1000);
}

void TestCoreRules::besideRect()
{
    QFETCH(QRect, anchor);
    QFETCH(QSize, wanted);
    QFETCH(QRect, placed);
    QCOMPARE(::besideRect(QRect(0, 0, 1600, 1000), anchor, wanted, QSize(2, 24), 240), placed);
}

MARKLOOM_CORE_TEST_MAIN(TestCoreRules)
#include "tst_corerules.moc"
