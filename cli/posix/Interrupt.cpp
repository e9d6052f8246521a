// Signals on Linux: a self-pipe carries them from the handler into the event loop.
#include "cli/Interrupt.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace vantrel::cli {

namespace {

int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_interrupted = 0;
volatile std::sig_atomic_t g_signal = 0;
std::function<void()> g_handler;

// Only async-signal-safe work here; the event loop does the rest when the byte arrives.
extern "C" void onSignal(int signal) {
    if (!g_interrupted)
        g_signal = signal;
    g_interrupted = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
}

} // namespace

void catchInterrupts() {
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char bytes[16];
        while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
        }
        if (g_handler)
            g_handler();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    // SIGPIPE too: a closed pipe then fails the write (EPIPE) instead of ending the process on the spot.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        ::sigaction(signal, &action, nullptr);
}

void setInterruptHandler(std::function<void()> handler) {
    g_handler = std::move(handler);
}

bool interrupted() {
    return g_interrupted != 0;
}

QString interruptName() {
    switch (g_signal) {
    case 0:
        return {};
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    case SIGPIPE:
        return QStringLiteral("SIGPIPE");
    default:
        return QStringLiteral("signal %1").arg(g_signal);
    }
}

bool interruptedByRequest() {
    return g_signal == SIGINT || g_signal == SIGTERM;
}

} // namespace vantrel::cli
