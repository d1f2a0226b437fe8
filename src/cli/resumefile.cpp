#include "cli/resumefile.h"

#include "cli/output.h"

#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>

namespace cli {

namespace {
// Every line of a batch starts so; a line cut short is at least a piece of it.
const QByteArray kLineStart = QByteArrayLiteral("{\"address\":\"");

qsizetype nextOpen(const QList<bool> &answered, qsizetype from)
{
    while (from < answered.size() && answered.at(from))
        ++from;
    return from;
}
} // namespace

ResumePoint readResume(QIODevice *file, const QStringList &addresses)
{
    ResumePoint r;
    r.answered = QList<bool>(addresses.size(), false);
    QList<qsizetype> answeredHere; // by the run being read; open to it until it ends
    qsizetype last = -1;           // the address of the line before, in this run
    const auto fail = [](const QString &error) {
        ResumePoint failed;
        failed.error = error;
        return failed;
    };
    for (qint64 lineNumber = 1;; ++lineNumber) {
        const QByteArray line = file->readLine();
        if (line.isEmpty())
            break;
        if (!line.endsWith('\n')) {
            // A run ended while writing this line: it goes, and its address is done again.
            if (!(line.startsWith(kLineStart) || kLineStart.startsWith(line)))
                return fail(QStringLiteral("line %1 is not a line of a batch's output").arg(lineNumber));
            break;
        }
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        const QJsonValue address = doc.object().value(QLatin1String("address"));
        if (!doc.isObject() || !address.isString())
            return fail(QStringLiteral("line %1 is not a line of a batch's output").arg(lineNumber));
        qsizetype at = nextOpen(r.answered, last + 1);
        if (at >= addresses.size() || addresses.at(at) != address.toString()) {
            for (const qsizetype i : std::as_const(answeredHere))
                r.answered[i] = true;
            answeredHere.clear();
            at = nextOpen(r.answered, 0);
            if (at >= addresses.size())
                return fail(QStringLiteral("line %1 is for %2, and every address of the list is answered before it")
                                .arg(lineNumber)
                                .arg(addressForMessage(address.toString())));
            if (addresses.at(at) != address.toString())
                return fail(QStringLiteral("line %1 is for %2, where the list has %3")
                                .arg(lineNumber)
                                .arg(addressForMessage(address.toString()), addressForMessage(addresses.at(at))));
        }
        last = at;
        if (doc.object().contains(QLatin1String("source")))
            answeredHere << at;
        r.keep += line.size();
    }
    for (const qsizetype i : std::as_const(answeredHere))
        r.answered[i] = true;
    r.answeredCount = r.answered.count(true);
    return r;
}

} // namespace cli
