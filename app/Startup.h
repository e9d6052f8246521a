// Program start: creates every window once, in a fixed order, behind the splash window, and wires them to
// the link to the module. Every window lives until the program ends.
#pragma once

#include <QString>
#include <memory>

namespace vantrel {

class ModuleConnection;
class TWelcomeForm;
class TStateForm;
class WindowPlacement;
class TFormDownload;
class TSettingsForm;
class TFormDetails;
class TMainForm;

class Startup {
public:
    // Creates the splash window (the root window), then, hidden, the status monitor, the transfer window,
    // the parameter editor and the traffic detail window. The main window follows when the splash shows.
    Startup();
    ~Startup();
    Startup(const Startup&) = delete;
    Startup& operator=(const Startup&) = delete;

    // Shows the splash window; the event loop then brings up the main window.
    void start();
    // A parameter file to open when the main window shows, with the transfer window shown over it.
    void openAtStart(const QString& fileName) { fileAtStart_ = fileName; }

    ModuleConnection& connection() { return *connection_; }
    TWelcomeForm& welcome() { return *welcome_; }
    TStateForm& stateForm() { return *stateForm_; }
    TFormDownload& formDownload() { return *formDownload_; }
    TSettingsForm& settingsForm() { return *settingsForm_; }
    TFormDetails& formDetails() { return *formDetails_; }
    TMainForm* mainForm() { return mainForm_.get(); } // null until the splash has been shown

private:
    void createMainForm();
    void showMainForm();

    // Declared first, destroyed last: destroying it closes the port after every window is gone.
    std::unique_ptr<ModuleConnection> connection_;
    std::unique_ptr<TWelcomeForm> welcome_;
    std::unique_ptr<TStateForm> stateForm_;
    std::unique_ptr<WindowPlacement> placement_;
    std::unique_ptr<TFormDownload> formDownload_;
    std::unique_ptr<TSettingsForm> settingsForm_; // edits formDownload_'s image: declared after it
    std::unique_ptr<TFormDetails> formDetails_;
    std::unique_ptr<TMainForm> mainForm_;
    QString fileAtStart_;
};

} // namespace vantrel
