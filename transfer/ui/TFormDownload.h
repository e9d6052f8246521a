// The parameter transfer window: reads, writes and compares the parameter image with the module, saves
// and opens parameter files, and opens the parameter editor. It owns the parameter image.
#pragma once

#include "common/StateColour.h"
#include "params/ParameterImage.h"
#include "transfer/ParameterTransfer.h"

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class TFormDownload;
}

namespace vantrel {

class ModuleLink;
class TSettingsForm;

class TFormDownload : public QDialog {
    Q_OBJECT
public:
    explicit TFormDownload(ModuleLink& link, QWidget* parent = nullptr);
    ~TFormDownload() override;

    // The one parameter image of the program: every byte 0xFF at start.
    ImageBytes ParameterImage = freshImage();

    // The editor that btEdit opens; it edits ParameterImage.
    void setEditor(TSettingsForm* editor) { editor_ = editor; }

    ParameterTransfer& transfer() { return *transfer_; }
    bool transferRunning() const { return transfer_->running(); }
    std::array<std::uint8_t, TransferLength>& TransferCopy() { return transfer_->TransferCopy; }

    void SetBarColour(Rgb colour);
    Rgb barColour() const { return barColour_; }
    void LockButtons();
    void UnlockButtons();

private:
    void btReadClick();
    void btWriteClick();
    void btCompareClick();
    void btEditClick();
    void btOpenClick();
    void btSaveClick();
    void btStopClick();
    void btCloseClick();
    void setBarPosition(int position);
    // Connection check, button lock, the transfer, unlock, also when a driver error ends it.
    void runTransfer(void (ParameterTransfer::*operation)());

    std::unique_ptr<Ui::TFormDownload> ui;
    ModuleLink& link_;
    std::unique_ptr<ParameterTransfer> transfer_;
    TSettingsForm* editor_ = nullptr;
    Rgb barColour_ = colour::Green;
};

} // namespace vantrel
