// Saving the source: encoding (the way for encodings other than UTF-8), the
// UTF-8 check (the way for UTF-8), the safe write, and the whole Save As
// command on a filled source pane, against a plain unchecked file write of the
// same bytes. Prints medians in milliseconds.

#include "app/markloomform.h"
#include "edit/sourcefilewriter.h"
#include "platform/prompts.h"
#include "platform/sourcepane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

class FixedPrompts final : public Prompts
{
public:
    QString path;
    int messages = 0;
    void message(QWidget *, const QString &) override { ++messages; }
    std::optional<SaveChoice> saveFile(QWidget *, const QStringList &, const QString &) override
    {
        return SaveChoice{path, QStringLiteral("bench.html")};
    }
    std::optional<QColor> chooseColor(QWidget *, const QColor &) override { return std::nullopt; }
    unsaved::Answer askSaveChanges(QWidget *) override { return unsaved::Answer::Cancel; }
};

double medianMs(int runs, const std::function<void()> &step)
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        step();
        times << t.nsecsElapsed() / 1e6;
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

// Markup with some Japanese, about `bytes` long in UTF-8.
QString source(qsizetype bytes)
{
    const QString line = QStringLiteral("<tr><td class=\"c\">日本語のデータ</td><td>value &amp; more</td></tr>\r\n");
    const qsizetype lineBytes = line.toUtf8().size();
    QString s;
    s.reserve(bytes);
    for (qsizetype n = 0; n + lineBytes <= bytes; n += lineBytes)
        s += line;
    return s;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/bench.html");
    const int runs = 7;

    MarkloomForm form;
    auto prompts = std::make_unique<FixedPrompts>();
    FixedPrompts *p = prompts.get();
    p->path = path;
    form.services().setPrompts(std::move(prompts));

    std::printf("%-8s %10s %10s %10s %10s %12s %12s %8s\n", "size", "encode", "check", "write", "plain", "Save As",
                "pane Text()", "ratio");
    for (const qsizetype size : {qsizetype(1) << 20, qsizetype(10) << 20}) {
        const QString text = source(size);
        const QByteArray bytes = *sourcefile::encode(text);
        form.HTMLSorceText->SetText(text);

        const double encode = medianMs(runs, [&] { (void)sourcefile::encode(text); });
        volatile bool valid = false; // kept, or the compiler drops the check
        const double check = medianMs(runs, [&] { valid = QByteArrayView(bytes).isValidUtf8(); });
        const double write = medianMs(runs, [&] { (void)sourcefile::writeBytes(path, bytes); });
        const double plain = medianMs(runs, [&] {
            QFile f(path);
            if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                f.write(bytes);
        });
        const double paneText = medianMs(runs, [&] { (void)form.HTMLSorceText->Text(); });
        const double saveAs = medianMs(runs, [&] { form.action(QStringLiteral("ID_SaveAs"))->trigger(); });
        if (p->messages != 0 || QFile(path).size() != bytes.size()) {
            std::fprintf(stderr, "bench_save: the save failed\n");
            return 1;
        }
        std::printf("%-8s %10.1f %10.1f %10.1f %10.1f %12.1f %12.1f %8.2f\n",
                    qPrintable(QStringLiteral("%1 MiB").arg(size >> 20)), encode, check, write, plain, saveAs, paneText,
                    saveAs / plain);
    }
    std::printf("(medians of %d runs, ms; ratio = Save As / plain write of the same bytes)\n", runs);
    return 0;
}
