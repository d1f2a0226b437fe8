#include "cli/stopsignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace cli {

namespace {
volatile std::sig_atomic_t g_received = 0;
int g_pipe[2] = {-1, -1};
struct sigaction g_before[2]; // what SIGINT and SIGTERM did before the batch

void onSignal(int signalNumber)
{
    if (!g_received)
        g_received = signalNumber;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
}
} // namespace

StopSignals::StopSignals()
{
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (read(g_pipe[0], bytes, sizeof bytes) > 0) {
        }
        Q_EMIT stopRequested(g_received);
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // a write under way goes on
    sigaction(SIGINT, &action, &g_before[0]);
    sigaction(SIGTERM, &action, &g_before[1]);
}

StopSignals::~StopSignals()
{
    // Once the batch is over, a signal does what it did before (ends the
    // program, taking its temporary folders with it).
    sigaction(SIGINT, &g_before[0], nullptr);
    sigaction(SIGTERM, &g_before[1], nullptr);
    delete m_notifier;
    close(g_pipe[0]);
    close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

int StopSignals::received() { return g_received; }

} // namespace cli
