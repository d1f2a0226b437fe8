#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

namespace cli {

// What the output of earlier runs over the same list has answered. Each run
// writes lines for the addresses not answered before it, in list order, so
// the lines are matched to the list in order: a line goes on from the
// address after the last one matched, and one that does not fit there
// begins a later run, at the first address still unanswered. Only a line
// with a source answers its address; an error is tried again.
struct ResumePoint {
    QList<bool> answered; // one per address of the list
    qint64 answeredCount = 0;
    // Bytes of whole lines; after them, at most the start of a line that a
    // run ended while writing, to be cut off before appending.
    qint64 keep = 0;
    QString error; // why the file cannot be gone on with; then nothing else is set
};

ResumePoint readResume(QIODevice *file, const QStringList &addresses);

} // namespace cli
