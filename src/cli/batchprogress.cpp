#include "cli/batchprogress.h"

#include <cmath>

namespace cli {

namespace {
// H:MM:SS, or M:SS under an hour.
QString duration(qint64 seconds)
{
    const qint64 h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    const QString ms = QStringLiteral("%1:%2").arg(h ? QString::number(m).rightJustified(2, u'0') : QString::number(m))
                           .arg(s, 2, 10, QLatin1Char('0'));
    return h ? QStringLiteral("%1:%2").arg(h).arg(ms) : ms;
}
} // namespace

QString progressLine(const BatchFigures &f)
{
    QString line = f.total < 0 ? QStringLiteral("%1 done").arg(f.done)
                               : QStringLiteral("%1/%2 done").arg(f.done).arg(f.total);
    if (f.doneHere > 0 && f.elapsedMs > 0) {
        const double rate = f.doneHere * 1000.0 / f.elapsedMs;
        line += QStringLiteral(", %1 pages/s").arg(rate, 0, 'f', 1);
        if (f.failed > 0)
            line += QStringLiteral(", %1 failed").arg(f.failed);
        if (f.total >= f.done)
            line += QStringLiteral(", %1 left").arg(duration(std::llround((f.total - f.done) / rate)));
    } else if (f.failed > 0) {
        line += QStringLiteral(", %1 failed").arg(f.failed);
    }
    return line;
}

} // namespace cli
