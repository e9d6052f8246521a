// vantrel5: configures and watches a Vantrel 5 GSM communicator module over a serial port.
// `vantrel5 [FILE.VT3]` starts with that parameter file opened in the transfer window.
#include "app/QuitOnSignals.h"
#include "app/Startup.h"
#include "app/TMainForm.h"
#include "common/ui/VantrelApplication.h"

#include <cstdio>
#include <cstring>

namespace {

// Without a display Qt would abort with a message about platform plugins that tells an installer nothing.
// A platform named on the command line or in QT_QPA_PLATFORM (offscreen, vnc, ...) is the user's choice.
bool graphicalSessionMissing(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
        qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return false;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return false;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (graphicalSessionMissing(argc, argv)) {
        std::fprintf(stderr, "vantrel5: nincs grafikus munkamenet (sem DISPLAY, sem WAYLAND_DISPLAY nincs "
                             "beállítva); a program ablakos. Parancssorból: vantrel5-cli.\n"
                             "vantrel5: no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                             "the tool needs one. From a shell: vantrel5-cli.\n");
        return 1;
    }
    vantrel::VantrelApplication app(argc, argv);
    // Qt has taken its own options out of argv by now; what is left is ours.
    QString fileAtStart;
    for (int i = 1; i < argc; ++i) {
        const bool option = argv[i][0] == '-' && std::strcmp(argv[i], "-") != 0;
        if (option || !fileAtStart.isEmpty()) {
            std::fprintf(stderr, "Használat: vantrel5 [FÁJL.VT3]\nUsage: vantrel5 [FILE.VT3]\n");
            return 2;
        }
        fileAtStart = QString::fromLocal8Bit(argv[i]);
    }
    // The splash window is the root window and ends the program when it closes; hiding it must not.
    app.setQuitOnLastWindowClosed(false);
    vantrel::Startup startup;
    startup.openAtStart(fileAtStart);
    vantrel::quitOnSignals([&startup] {
        if (vantrel::TMainForm* main = startup.mainForm())
            main->closeStoppingTransfer();
        else
            QCoreApplication::quit();
    });
    startup.start();
    return app.exec();
}
