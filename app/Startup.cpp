#include "app/Startup.h"

#include "app/ProductVariant.h"
#include "app/TMainForm.h"
#include "app/TWelcomeForm.h"
#include "app/WindowPlacement.h"
#include "monitor/ui/TStateForm.h"
#include "params/ui/TSettingsForm.h"
#include "protocol/ModuleConnection.h"
#include "protocol/ui/TFormDetails.h"
#include "transfer/ui/TFormDownload.h"

namespace vantrel {

Startup::Startup()
    : connection_(std::make_unique<ModuleConnection>()), welcome_(std::make_unique<TWelcomeForm>()),
      stateForm_(std::make_unique<TStateForm>(*connection_)),
      formDownload_(std::make_unique<TFormDownload>(*connection_)),
      settingsForm_(std::make_unique<TSettingsForm>(formDownload_->ParameterImage)),
      formDetails_(std::make_unique<TFormDetails>()) {
    formDownload_->setEditor(settingsForm_.get());
    welcome_->onFirstShow = [this] { createMainForm(); };
    welcome_->onTimer = [this] { showMainForm(); };
}

Startup::~Startup() {
    // The main window goes first: its destruction saves the port name while the port still exists.
    placement_.reset();
    mainForm_.reset();
}

void Startup::start() {
    welcome_->show();
}

void Startup::createMainForm() {
    mainForm_ = std::make_unique<TMainForm>(*connection_, *stateForm_, *formDownload_, *formDetails_);
    placement_ = std::make_unique<WindowPlacement>(mainForm_.get(), welcome_.get());
    mainForm_->onFormClose = [this] {
        // A transfer waiting for the module would keep the program alive for seconds after its windows
        // are gone: it ends now.
        formDownload_->transfer().stop();
        welcome_->close();
    };
}

void Startup::showMainForm() {
    applyProductVariant(*mainForm_, *settingsForm_);
    mainForm_->show();
    if (!fileAtStart_.isEmpty()) {
        formDownload_->show();
        formDownload_->openFromFile(fileAtStart_);
    }
}

} // namespace vantrel
