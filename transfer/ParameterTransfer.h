// Moving the parameter image between the PC and the module, page by page: read, write (with a backup
// before and a read-back after) and compare with what was last exchanged. Each page request waits for
// its answer in the event loop, so the windows stay alive and the answers are decoded while the transfer
// waits. Every operation ends with one TransferOutcome; nothing is thrown at the caller.
#pragma once

#include "common/StateColour.h"
#include "params/ParameterImage.h"
#include "report/ImageDiff.h"
#include "transfer/TransferOutcome.h"

#include <QObject>
#include <array>
#include <functional>

class QTimer;

namespace vantrel {

class ModuleLink;

using TransferBytes = std::array<std::uint8_t, TransferLength>;

// Where the parameter image came from since the program started. A write of the image nobody has read,
// opened, imported or edited (still the fresh all-0xFF image) would wipe every setting of the module.
enum class ImageSource { Fresh, Module, File, Import, Editor };

struct WriteOptions {
    bool backup = true; // read and save the module's parameter set before the first page is written
    bool verify = true; // read the pages back after the last one and compare
};

class ParameterTransfer : public QObject {
    Q_OBJECT
public:
    enum class Wait { Arrived, TimedOut, Stopped, LinkLost };
    static constexpr int TickMs = 100;
    static constexpr int PageTicks = 50; // 5 s for a page to arrive
    static constexpr int AckTicks = 80;  // 8 s for a write acknowledgement
    // A page that gets no answer, comes misaddressed or is not acknowledged is tried this many times in
    // all. Sending a page again is harmless: the module stores the same bytes.
    static constexpr int Attempts = 3;

    // How a running transfer shows its progress: the pages done in the current phase, the bar's colour,
    // and the phase with its pages done (for a line of text).
    struct Display {
        std::function<void(int)> position;
        std::function<void(Rgb)> colour;
        std::function<void(TransferOperation, WritePhase, int)> progress;
    };

    ParameterTransfer(ModuleLink& link, ImageBytes& image, Display display, QObject* parent = nullptr);

    // What was last exchanged with the module in this run; all zero at start.
    TransferBytes TransferCopy{};
    // 100 ms ticks left in the current wait.
    int Countdown = 0;
    QTimer* Timer1() const { return timer1_; }

    // The three transfers. The image changes only when a read goes through completely, or a compare finds
    // the module equal. A write saves a backup first (the module is not touched when that fails) and
    // reads the pages back afterwards, as the options say.
    TransferOutcome read();
    TransferOutcome write(const WriteOptions& options);
    TransferOutcome compare();

    // Where the image came from: a complete read or an equal compare set it to Module; the windows tell of
    // files opened, imports and edits.
    ImageSource imageSource() const { return imageSource_; }
    void setImageSource(ImageSource source) { imageSource_ = source; }
    // True when a write would send the fresh image that nothing has filled since the start: ask first.
    bool writeNeedsConfirmation() const;

    // The module's pages as the last compare or read-back received them (pages not reached keep what
    // they held before).
    const TransferBytes& moduleCopy() const { return moduleCopy_; }
    // The fields (and spare runs) in which the module's pages of the last compare differ from what was
    // last exchanged: the module on the left.
    std::vector<DiffRow> moduleDifferences() const;
    // Which pages differed in the last compare or read-back.
    const std::array<bool, PageCount>& differingPages() const { return differing_; }

    // Ends the running transfer at its next wake-up (at most one timer tick), with the Stopped outcome.
    void stop() { stopRequested_ = true; }
    bool running() const { return running_; }
    int position() const { return position_; }

    // Waits shorter than the module's own limits, for tests that exercise the failures.
    void setWaitTicks(int pageTicks, int ackTicks) {
        pageTicks_ = pageTicks;
        ackTicks_ = ackTicks;
    }

private:
    struct PageResult {
        OutcomeKind failure = OutcomeKind::Complete; // Complete: the page came
        int page = 0;
    };

    void Timer1Timer();
    void begin();
    Wait waitFor(const std::uint8_t& flag, int ticks);
    // Requests page p (again, up to Attempts times) until it comes with its own address; the page is in
    // the transfer state's buffer then.
    OutcomeKind fetchPage(std::size_t p, int& retries);
    OutcomeKind storePage(std::size_t p, int& retries);
    // Reads all pages into target, page by page; Complete or the failure with its page.
    // With a reference, also marks the pages that differ from it (and turns the bar red at the first).
    PageResult readAll(TransferBytes& target, TransferOperation operation, WritePhase phase, int& retries,
                       const TransferBytes* reference = nullptr);
    void setPosition(int position);
    void setColour(Rgb colour);
    void showProgress(TransferOperation operation, WritePhase phase, int pages);
    void acceptTransferCopy();
    TransferOutcome finish(TransferOutcome outcome);

    ModuleLink& link_;
    ImageBytes& image_;
    Display display_;
    QTimer* timer1_;
    TransferBytes moduleCopy_{};
    std::array<bool, PageCount> differing_{};
    int position_ = 0;
    ImageSource imageSource_ = ImageSource::Fresh;
    int pageTicks_ = PageTicks;
    int ackTicks_ = AckTicks;
    bool stopRequested_ = false;
    bool running_ = false;
};

} // namespace vantrel
