// vantrel5: configures and watches a Vantrel 5 GSM communicator module over a serial port.
// `vantrel5 [FILE.VT3]` starts with that parameter file opened in the transfer window.
#include "app/GraphicalSession.h"
#include "app/QuitOnSignals.h"
#include "app/Startup.h"
#include "app/TMainForm.h"
#include "common/ui/VantrelApplication.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (vantrel::graphicalSessionMissing(argc, argv)) {
        std::fprintf(stderr, "vantrel5: nincs grafikus munkamenet (sem DISPLAY, sem WAYLAND_DISPLAY nincs "
                             "beállítva); a program ablakos. Parancssorból: vantrel5-cli.\n"
                             "vantrel5: no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                             "the tool needs one. From a shell: vantrel5-cli.\n");
        return 1;
    }
    vantrel::VantrelApplication app(argc, argv);
    // Qt has taken its own options out by now; what is left is ours. The arguments as Qt gives them: on
    // Windows from the wide command line, so a name outside the local code page keeps its letters.
    QString fileAtStart;
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    for (const QString& argument : arguments) {
        const bool option = argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-");
        if (option || !fileAtStart.isEmpty()) {
            std::fprintf(stderr, "Használat: vantrel5 [FÁJL.VT3]\nUsage: vantrel5 [FILE.VT3]\n");
            return 2;
        }
        fileAtStart = argument;
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
