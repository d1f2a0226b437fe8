// Save, Save As and New over a document model and a source pane, with a
// scripted save dialog: no main window, no web engine.

#include "app/documentmodel.h"
#include "disklimit.h"
#include "edit/filecommands.h"
#include "edit/saverule.h"
#include "platform/sourcepane.h"
#include "support/scripted.h"

#include <QFileDialog>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using markloomtest::fileBytes;

static QString documents() { return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation); }

// What the main window does with them: pages arrive, edits are typed, the
// pane is emptied for a load.
struct Desk {
    QWidget window;
    SourcePane pane{&window};
    DocumentModel document;
    Services services;
    markloomtest::Scripted scripted = markloomtest::installScripted(services);
    FileCommands files{document, pane, services, &window};

    Desk() { QObject::connect(&pane, &SourcePane::modificationChanged, &document, &DocumentModel::setModified); }
    void page(const QString &url, const QString &name, bool top = true, const QString &framePath = QString())
    {
        const QString source = QStringLiteral("<p>%1</p>").arg(name);
        pane.SetText(source);
        document.documentShown({url, name}, top, source, framePath);
    }
    void edit(const QString &text) { pane.insertAt(text, 0, 0); }
};

class TestFileCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir().mkpath(documents());
    }
    void cleanup()
    {
        for (const char *locked : {"ro", "ro.html"})
            ::chmod(QFile::encodeName(inDir(QString::fromLatin1(locked))).constData(), 0755); // so they can go
        m_dir.reset();
    }

    void saveGoesWhereThePaneCameFrom_data()
    {
        QTest::addColumn<QString>("steps"); // before 保存, separated by blanks
        QTest::addColumn<QString>("save");  // "write", or the file the dialog opens on ("~": documents)
        // saveas: 名前を付けて保存 into the folder as a.html; nav: the user starts
        // a load, which empties the pane; stop: it ends without a document; one,
        // two: pages arrive; frame: a frame of two arrives first; choose N: 表示 →
        // フレーム; local: the saved file itself arrives as a page; type, clear: edits.
        QTest::newRow("never saved") << "one" << "~/One";
        QTest::newRow("typed, saved, typed") << "one type saveas type" << "write";
        QTest::newRow("next page typed in") << "one saveas nav two type" << "a.html";
        QTest::newRow("stopped, then typed") << "one saveas nav stop type" << "a.html";
        QTest::newRow("saved page emptied by hand") << "one saveas clear" << "a.html";
        QTest::newRow("page and frame saved, frame chosen") << "frame two saveas choose 1" << "a.html";
        QTest::newRow("the saved file loaded again") << "one saveas nav local type" << "write";
        QTest::newRow("saved again after a new page") << "one saveas nav two saveas type" << "write";
    }

    // Save writes only into the file the pane's document was saved to (or read
    // from); otherwise it is Save As, on the kept path, and the earlier file stays.
    void saveGoesWhereThePaneCameFrom()
    {
        QFETCH(QString, steps);
        QFETCH(QString, save);
        Desk d;
        const QString file = inDir(QStringLiteral("a.html"));
        const QStringList list = steps.split(QLatin1Char(' '));
        for (qsizetype i = 0; i < list.size(); ++i) {
            const QString &step = list.at(i);
            if (step == QLatin1String("one") || step == QLatin1String("two"))
                d.page("mltest://a/" + step + ".html", step == QLatin1String("one") ? "One" : "Two");
            else if (step == QLatin1String("frame"))
                d.page(QStringLiteral("mltest://b/f.html"), QStringLiteral("Frame"), false, QStringLiteral("0"));
            else if (step == QLatin1String("local"))
                d.page(QUrl::fromLocalFile(file).toString(), QStringLiteral("Local"));
            else if (step == QLatin1String("saveas")) {
                d.scripted.prompts->saveAnswers << Prompts::SaveChoice{file, QStringLiteral("a.html")};
                QVERIFY(d.files.saveAs());
            } else if (step == QLatin1String("nav")) {
                d.document.navigationStarted();
                d.pane.SetText(QString());
                d.document.sourceCleared();
            } else if (step == QLatin1String("stop"))
                d.document.navigationEnded();
            else if (step == QLatin1String("type")) {
                d.edit(QStringLiteral("typed "));
                QVERIFY(d.document.isModified()); // after a save too: the pane's own flag was cleared with it
            } else if (step == QLatin1String("clear")) {
                d.pane.selectAll();
                d.pane.removeSelectedText();
            } else if (step == QLatin1String("choose")) {
                const std::optional<PageDocument> chosen = d.document.chooseDocument(list.at(++i).toInt());
                QVERIFY(chosen);
                d.pane.SetText(chosen->source);
            }
        }
        const bool writes = save == QLatin1String("write");
        const QByteArray before = fileBytes(file);
        QCOMPARE(d.files.save(), writes); // a dialog is cancelled
        const QStringList &starts = d.scripted.prompts->saveStarts;
        QCOMPARE(starts.size(), list.count(QStringLiteral("saveas")) + (writes ? 0 : 1));
        if (writes) {
            QCOMPARE(fileBytes(file), d.pane.Utf8Text().toByteArray());
            QVERIFY(!d.document.isModified());
            d.edit(QStringLiteral("more ")); // the pane's own flag was cleared too
            QVERIFY(d.document.isModified());
        } else {
            QCOMPARE(starts.last(), save.startsWith(QLatin1Char('~')) ? documents() + save.mid(1) : inDir(save));
            QCOMPARE(fileBytes(file), before);
        }
    }

    void savedBytesAreThePaneText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        QTest::newRow("japanese, line breaks as they are") << QStringLiteral("<p>日本語、ｶﾀｶﾅ</p>\r\nb\rc\n") << "out.txt";
        QTest::newRow("nul, outside the BMP") << QStringLiteral("a") + QChar(0) + QStringLiteral("\U0001F600") << "out.txt";
        QTest::newRow("10 MB") << QStringLiteral("<div class=\"row\">日本語 text &amp; more</div>\r\n").repeated(120000)
                               << "big.html";
    }

    // Replaces the file chosen (the dialog asked) with the bytes of the system
    // encoding, no BOM, and leaves nothing else in the folder; the next Save
    // writes there without a dialog.
    void savedBytesAreThePaneText()
    {
        QFETCH(QString, text);
        QFETCH(QString, name);
        Desk d;
        d.page(QStringLiteral("mltest://a/p.html"), QStringLiteral("P"));
        d.pane.SetText(text);
        QFile old(inDir(name));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("a much longer earlier content") > 0);
        old.close();
        d.scripted.prompts->saveAnswers << Prompts::SaveChoice{inDir(name), name};
        QVERIFY(d.files.saveAs());
        QVERIFY(d.scripted.prompts->messages.isEmpty());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{name});
        QVERIFY(fileBytes(inDir(name)) == QStringEncoder(QStringConverter::System).encode(text)); // no 10 MB printout
        d.edit(QStringLiteral("x"));
        QVERIFY(d.files.save());
        QVERIFY(fileBytes(inDir(name)).startsWith('x'));
        QVERIFY(!d.files.saveAs()); // the next dialog opens in the folder saved to; Save asked nothing
        QCOMPARE(d.scripted.prompts->saveStarts, (QStringList{documents() + "/P", inDir(QStringLiteral("P"))}));
    }

    void failedWriteKeepsState_data()
    {
        QTest::addColumn<QString>("target"); // in the test folder unless absolute; empty: Save on a full disk
        QTest::addColumn<bool>("savedBefore");
        for (const bool saved : {false, true}) {
            const char *suffix = saved ? " (saved before)" : "";
            QTest::addRow("folder as target%s", suffix) << "." << saved;
            QTest::addRow("vanished folder%s", suffix) << "gone/x.html" << saved;
            QTest::addRow("over-long name%s", suffix) << QString(300, QChar(0x65E5)) << saved;
            QTest::addRow("name with a NUL%s", suffix) << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << saved;
            QTest::addRow("full device%s", suffix) << "/dev/full" << saved;
            QTest::addRow("read-only folder%s", suffix) << "ro/x.html" << saved;
            QTest::addRow("read-only file%s", suffix) << "ro.html" << saved;
        }
        QTest::newRow("disk full during Save") << QString() << true;
    }

    // The message, and the flag, caption, title and earlier files as they were.
    void failedWriteKeepsState()
    {
        QFETCH(QString, target);
        QFETCH(bool, savedBefore);
        struct stat st {
        };
        if (target == QLatin1String("/dev/full") && (::stat("/dev/full", &st) != 0 || !S_ISCHR(st.st_mode)))
            QSKIP("no /dev/full here");
        const QByteArray ro = QFile::encodeName(inDir(QStringLiteral("ro")));
        QVERIFY(QDir().mkpath(inDir(QStringLiteral("gone"))) && QDir().mkpath(QFile::decodeName(ro)));
        const QStringList kept{inDir(QStringLiteral("ro.html")), inDir(QStringLiteral("ro/x.html"))}; // never written in place
        for (const QString &path : kept) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("kept") == 4);
        }
        QVERIFY(::chmod(ro.constData(), 0555) == 0 && ::chmod((ro + ".html").constData(), 0444) == 0);
        if (target.startsWith(QLatin1String("ro")) && ::access(ro.constData(), W_OK) == 0)
            QSKIP("running with privileges that ignore permissions (root)");
        Desk d;
        d.page(QStringLiteral("mltest://a/p.html"), QStringLiteral("P"));
        if (savedBefore) {
            d.scripted.prompts->saveAnswers << Prompts::SaveChoice{inDir(QStringLiteral("good.txt")), "good.txt"};
            QVERIFY(d.files.saveAs());
        }
        QVERIFY(QDir(inDir(QStringLiteral("gone"))).removeRecursively());
        const QByteArray earlier = fileBytes(inDir(QStringLiteral("good.txt")));
        d.edit(QStringLiteral("later ") + QString(8192, QLatin1Char('x')));
        const QString text = d.pane.Text();
        const QString caption = d.document.caption();

        if (target.isEmpty()) {
            const DiskLimit full;
            QVERIFY(full.ok());
            QVERIFY(!d.files.save());
        } else {
            const QString path = target.startsWith(QLatin1Char('/')) ? target : inDir(target);
            d.scripted.prompts->saveAnswers << Prompts::SaveChoice{path, QStringLiteral("x.html")};
            QVERIFY(!d.files.saveAs());
            QCOMPARE(d.document.filePath(), path); // taken even though the write failed
        }
        QCOMPARE(d.scripted.prompts->messages, QStringList{QStringLiteral("ファイル書き込みに失敗しました。")});
        QCOMPARE(d.document.hasFile(), savedBefore);
        QCOMPARE(d.pane.Text(), text);
        QCOMPARE(d.document.caption(), caption); // the mark too: still modified
        QCOMPARE(fileBytes(inDir(QStringLiteral("good.txt"))), earlier);
        for (const QString &path : kept)
            QCOMPARE(fileBytes(path), QByteArray("kept"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
                 savedBefore ? QStringList({"good.txt", "ro.html"}) : QStringList{"ro.html"});
    }

    void newStartsCopy_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("starts");
        QTest::newRow("typed address with blanks") << "mltest://a/x y.html" << true;
        QTest::newRow("address that looks like an option") << "--help" << true;
        QTest::newRow("cannot start: reported") << "mltest://a/" << false;
    }

    // The address goes in whole and unchanged, after the end of the options.
    void newStartsCopy()
    {
        QFETCH(QString, address);
        QFETCH(bool, starts);
        Desk d;
        d.scripted.shell->answer = starts;
        d.files.newWindow(address);
        QCOMPARE(d.scripted.shell->starts, (QList<QStringList>{{QCoreApplication::applicationFilePath(), "--", address}}));
        QCOMPARE(d.scripted.prompts->messages.size(), starts ? 0 : 1);
    }

    // The save dialog opens on the file it is given, HTML first, asks before
    // replacing, and gives a bare name ".html" under the HTML filter only.
    void saveDialog()
    {
        QFileDialog dialog;
        prepareSaveDialog(dialog, saverule::filters(), inDir(QStringLiteral("Page")));
        QCOMPARE(QDir(dialog.directory()).absolutePath(), QDir(m_dir->path()).absolutePath());
        QCOMPARE(dialog.selectedNameFilter(), saverule::filters().first());
        QVERIFY(!dialog.testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
        static_cast<QDialog &>(dialog).accept(); // as the dialog's own button does
        QCOMPARE(dialog.selectedFiles(), QStringList{inDir(QStringLiteral("Page.html"))});
        dialog.selectNameFilter(saverule::filters().at(1));
        Q_EMIT dialog.filterSelected(saverule::filters().at(1));
        QCOMPARE(dialog.defaultSuffix(), QString());
        Q_EMIT dialog.filterSelected(saverule::filters().at(0));
        QCOMPARE(dialog.defaultSuffix(), QStringLiteral("html"));
    }

private:
    QString inDir(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

MARKLOOM_WIDGET_TEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
