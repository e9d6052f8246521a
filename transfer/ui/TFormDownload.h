// The parameter transfer window: reads, writes and compares the parameter image with the module, saves
// and opens parameter files, and opens the parameter editor. It owns the parameter image.
#pragma once

#include "common/StateColour.h"
#include "params/ParameterImage.h"
#include "transfer/ParameterTransfer.h"

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Ui {
class TFormDownload;
}

namespace vantrel {

class ModuleLink;
class TFormDifferences;
class PaintPacer;
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
    std::array<std::uint8_t, TransferLength>& TransferCopy() { return transfer_->TransferCopy; }

    void SetBarColour(Rgb colour);
    Rgb barColour() const { return barColour_; }
    void LockButtons();
    void UnlockButtons();

protected:
    void keyPressEvent(QKeyEvent* event) override;

public:
    bool transferRunning() const { return transfer_->running(); }
    // Stops the running transfer as Stop does; `then` runs once it has ended (at once when none runs).
    // Leaving the program or the line while a page is on its way goes through here.
    void stopTransferThen(std::function<void()> then);
    // The outcome of the last transfer, and the line that states it.
    const std::optional<TransferOutcome>& lastOutcome() const { return lastOutcome_; }
    // The "Eltérések" window that compares fill.
    TFormDifferences& differences() { return *differences_; }
    QString outcomeLine() const;
    // Opens a parameter file into the image as "Beolvasás fájlból" does; a failure is shown in the error
    // box and leaves the image as it was.
    void openFromFile(const QString& fileName);

private:
    void btReadClick();
    void btWriteClick();
    void btCompareClick();
    void btEditClick();
    void btOpenClick();
    void btSaveClick();
    void btStopClick();
    void btCloseClick();
    void btBackupsClick();
    void btCompareFileClick();
    void btPrintClick();
    void btExportClick();
    void btImportClick();
    void setBarPosition(int position);
    void showOutcomeLine(const QString& text, bool failure);
    // The pages done, and the phase, which is what a screen reader reads meanwhile.
    void showProgressLine(const QString& text, const QString& step);
    void showProgress(const QString& text);
    void setLineStyle(bool failure);
    // An outcome of a file button: the bar full, red when it found fault, green otherwise.
    void showFileOutcome(const QString& text, bool failure);
    // Runs a file button's action; a failure empties the bar and is stated on the line, then goes on to the
    // error box.
    void fileAction(const QString& failedWords, const std::function<void()>& action);
    // Transfer outcomes and files opened or saved go to the event log as well.
    static void logOutcome(const QString& text);
    void writeOptionsChanged();
    // Connection check, button lock, the transfer, unlock, the outcome line.
    QList<QWidget*> lockedDuringTransfer() const;
    void runTransfer(const std::function<TransferOutcome()>& operation);
    void openFile(const QString& fileName);
    // Applies one of our JSON exports to the image; a refused one leaves it as it was.
    void importFile(const QString& fileName);

    std::unique_ptr<Ui::TFormDownload> ui;
    ModuleLink& link_;
    std::unique_ptr<ParameterTransfer> transfer_;
    TSettingsForm* editor_ = nullptr;
    Rgb barColour_ = colour::Green;
    std::optional<TransferOutcome> lastOutcome_;
    QString currentFile_; // the parameter file last opened or saved, for the printed sheet
    TFormDifferences* differences_;
    // The bar and the line under it follow the pages at most five times a second.
    PaintPacer* progressPaint_ = nullptr;
    QPointer<QWidget> focusBeforeLock_;          // given back when the transfer ends
    std::optional<QString> pendingProgressLine_; // shown with the next paint
    std::vector<std::function<void()>> afterTransfer_;
};

} // namespace vantrel
