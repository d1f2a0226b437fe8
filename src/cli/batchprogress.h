#pragma once

#include <QString>

namespace cli {

// How far a batch has come, as its progress line tells it.
struct BatchFigures {
    qint64 done = 0;    // lines written, those of an earlier run included
    qint64 total = -1;  // addresses in all; -1 while unknown (a list on standard input)
    qint64 failed = 0;  // of the lines written in this run
    qint64 doneHere = 0; // lines written in this run
    qint64 elapsedMs = 0; // since this run's first page started
};

// The progress line: "120/400 done, 5.2 pages/s, 3 failed, 0:53 left". The
// rate and the time left come once a page is done in this run; the time
// left needs the total too.
QString progressLine(const BatchFigures &f);

} // namespace cli
