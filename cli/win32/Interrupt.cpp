// Console events on Windows. The system calls the handler on a thread of its own: it marks the run as
// interrupted and queues the handler into the event loop, where the command stops at a page boundary.
#include "cli/Interrupt.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>

#include <windows.h>

namespace vantrel::cli {

namespace {

constexpr DWORD kNone = 0xFFFFFFFF;
std::atomic<bool> g_interrupted{false};
std::atomic<DWORD> g_event{kNone};
std::function<void()> g_handler;

// After the console window is closed, or at log-off or shut-down, the process ends as soon as the handler
// returns (and after a few seconds in any case): the handler waits for the command to finish (the process
// then ends on its own, this thread with it), at most this long.
constexpr DWORD kGraceMs = 4500;

BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        break;
    default:
        return FALSE;
    }
    DWORD none = kNone;
    g_event.compare_exchange_strong(none, event);
    g_interrupted = true;
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(
            app,
            [] {
                if (g_handler)
                    g_handler();
            },
            Qt::QueuedConnection);
    }
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(kGraceMs);
    return TRUE;
}

} // namespace

void catchInterrupts() {
    static bool caught = false;
    if (caught)
        return;
    caught = SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0;
}

void setInterruptHandler(std::function<void()> handler) {
    g_handler = std::move(handler);
}

bool interrupted() {
    return g_interrupted;
}

QString interruptName() {
    switch (g_event.load()) {
    case kNone:
        return {};
    case CTRL_C_EVENT:
        return QStringLiteral("CTRL_C_EVENT");
    case CTRL_BREAK_EVENT:
        return QStringLiteral("CTRL_BREAK_EVENT");
    case CTRL_CLOSE_EVENT:
        return QStringLiteral("CTRL_CLOSE_EVENT");
    case CTRL_LOGOFF_EVENT:
        return QStringLiteral("CTRL_LOGOFF_EVENT");
    case CTRL_SHUTDOWN_EVENT:
        return QStringLiteral("CTRL_SHUTDOWN_EVENT");
    default:
        return QStringLiteral("console event %1").arg(g_event.load());
    }
}

bool interruptedByRequest() {
    const DWORD event = g_event.load();
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_SHUTDOWN_EVENT;
}

} // namespace vantrel::cli
