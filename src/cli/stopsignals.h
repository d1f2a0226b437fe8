#pragma once

#include <QObject>

class QSocketNotifier;

namespace cli {

// SIGINT and SIGTERM, taken while this object lives: the program is told
// (stopRequested, from its event loop) instead of ended where it stands.
class StopSignals : public QObject
{
    Q_OBJECT
public:
    StopSignals();
    ~StopSignals() override;
    // The signal taken so far, 0 for none: readable at any time, also
    // between two writes that a handler never got to run between.
    static int received();

Q_SIGNALS:
    void stopRequested(int signalNumber);

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace cli
