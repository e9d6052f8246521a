// vantrel5: configures and watches a Vantrel 5 GSM communicator module over a serial port.
#include "app/QuitOnSignals.h"
#include "app/Startup.h"
#include "app/TMainForm.h"
#include "common/ui/VantrelApplication.h"

int main(int argc, char** argv) {
    vantrel::VantrelApplication app(argc, argv);
    // The splash window is the root window and ends the program when it closes; hiding it must not.
    app.setQuitOnLastWindowClosed(false);
    vantrel::Startup startup;
    vantrel::quitOnSignals([&startup] {
        if (vantrel::TMainForm* main = startup.mainForm())
            main->closeStoppingTransfer();
        else
            QCoreApplication::quit();
    });
    startup.start();
    return app.exec();
}
