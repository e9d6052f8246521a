// The system's requests to end on Windows: console events when the tool has a console (Ctrl+C,
// Ctrl+Break, the console window closed, log-off, shut-down), and the end of the session for the window
// itself. Each becomes a queued call of `quit` on the user-interface thread.
#include "app/QuitOnSignals.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QSessionManager>

#include <windows.h>

namespace vantrel {

namespace {

std::function<void()> g_quit;

// After the console window is closed, or at log-off or shut-down, the process ends as soon as the handler
// returns: it waits for the window to close (the process then ends on its own), at most this long.
constexpr DWORD kGraceMs = 4500;

void queueQuit() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(
            app,
            [] {
                if (g_quit)
                    g_quit();
            },
            Qt::QueuedConnection);
    }
}

BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        queueQuit();
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        queueQuit();
        Sleep(kGraceMs);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void quitOnSignals(std::function<void()> quit) {
    g_quit = std::move(quit);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#if QT_CONFIG(sessionmanager)
    // A window program has no console: the end of the session reaches it as a request to save its data,
    // after which the system may end the process at any time. The window is closed right there, so the
    // chosen port is saved before that.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QObject::connect(app, &QGuiApplication::commitDataRequest, app, [](QSessionManager&) {
            if (g_quit)
                g_quit();
        });
    }
#endif
}

} // namespace vantrel
