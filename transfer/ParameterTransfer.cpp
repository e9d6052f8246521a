#include "transfer/ParameterTransfer.h"

#include "common/EventWait.h"
#include "protocol/ModuleLink.h"
#include "serial/SerialPort.h"
#include "transfer/Backups.h"
#include "transfer/FileOnlySettings.h"

#include <QTimer>
#include <algorithm>

namespace vantrel {

namespace {

// Marks a transfer as running for as long as it is in scope, also when an unexpected error ends it.
class RunningScope {
public:
    explicit RunningScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningScope() { flag_ = false; }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    bool& flag_;
};

} // namespace

ParameterTransfer::ParameterTransfer(ModuleLink& link, ImageBytes& image, Display display, QObject* parent)
    : QObject(parent), link_(link), image_(image), display_(std::move(display)), timer1_(new QTimer(this)) {
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(TickMs);
    connect(timer1_, &QTimer::timeout, this, &ParameterTransfer::Timer1Timer);
    // Ticks only while a transfer waits for the module: an idle tool is not woken ten times a second.
}

void ParameterTransfer::Timer1Timer() {
    if (Countdown > 0)
        --Countdown;
}

void ParameterTransfer::setPosition(int position) {
    position_ = position;
    if (display_.position)
        display_.position(position);
}

void ParameterTransfer::setColour(Rgb colour) {
    if (display_.colour)
        display_.colour(colour);
}

void ParameterTransfer::showProgress(TransferOperation operation, WritePhase phase, int pages) {
    setPosition(pages);
    if (display_.progress)
        display_.progress(operation, phase, pages);
}

void ParameterTransfer::begin() {
    stopRequested_ = false;
    differing_.fill(false);
    setPosition(0);
    setColour(colour::Green);
}

TransferOutcome ParameterTransfer::finish(TransferOutcome outcome) {
    timer1_->stop();
    if (outcome.succeeded())
        setPosition(static_cast<int>(PageCount));
    setColour(outcome.succeeded() ? colour::Green : colour::Red);
    stopRequested_ = false;
    return outcome;
}

ParameterTransfer::Wait ParameterTransfer::waitFor(const std::uint8_t& flag, int ticks) {
    Countdown = ticks;
    // Counted from the start of this wait: a page that comes within a tick costs no wake-up of the timer.
    timer1_->start();
    for (;;) {
        if (flag)
            return Wait::Arrived;
        if (stopRequested_) {
            Countdown = 0;
            return Wait::Stopped;
        }
        // The port is closed when the line goes away (or the installer disconnects): no answer can come.
        if (!link_.linkConnected())
            return Wait::LinkLost;
        if (Countdown <= 0)
            return Wait::TimedOut;
        // Sleeps until an event arrives: a received frame, a timer tick (at least every 100 ms), user input.
        waitForEvents();
    }
}

namespace {

// Runs a send; a driver error means the line is gone.
template <typename Send>
bool sent(Send&& send) {
    try {
        send();
        return true;
    } catch (const ESerialPort&) {
        return false;
    }
}

} // namespace

OutcomeKind ParameterTransfer::fetchPage(std::size_t p, int& retries) {
    TransferState& state = link_.transferState();
    bool misaddressed = false;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (attempt > 0)
            ++retries;
        state.PageReceived = 0;
        if (!sent([&] { link_.SendRequest(request::ReadPage, pageRequestArgs(p)); }))
            return OutcomeKind::LinkLost;
        // Answers are not matched to requests: a late or repeated page of an earlier request shows by its
        // address, and the wait goes on for the page asked for.
        int ticks = pageTicks_;
        for (;;) {
            const Wait wait = waitFor(state.PageReceived, ticks);
            if (wait == Wait::Stopped)
                return OutcomeKind::Stopped;
            if (wait == Wait::LinkLost)
                return OutcomeKind::LinkLost;
            if (wait == Wait::TimedOut)
                break;
            if (state.PageAddress == p * PageSize)
                return OutcomeKind::Complete;
            misaddressed = true;
            state.PageReceived = 0;
            ticks = Countdown; // the rest of this wait
        }
    }
    return misaddressed ? OutcomeKind::WrongAddress : OutcomeKind::NoAnswer;
}

OutcomeKind ParameterTransfer::storePage(std::size_t p, int& retries) {
    TransferState& state = link_.transferState();
    const auto blocks = pageWriteBlocks(TransferCopy.data() + p * PageSize);
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (attempt > 0)
            ++retries;
        const bool ok = sent([&] {
            link_.SendRequest(request::WriteHeader, pageRequestArgs(p));
            for (std::size_t b = 0; b + 1 < blocks.size(); ++b)
                link_.SendBlock(request::WriteBlock, blocks[b]);
            // An acknowledgement that came before the last block belongs to nothing we sent now.
            state.WriteAcknowledged = 0;
            link_.SendBlock(request::WriteBlock, blocks.back());
        });
        if (!ok)
            return OutcomeKind::LinkLost;
        switch (waitFor(state.WriteAcknowledged, ackTicks_)) {
        case Wait::Arrived:
            return OutcomeKind::Complete;
        case Wait::Stopped:
            return OutcomeKind::Stopped;
        case Wait::LinkLost:
            return OutcomeKind::LinkLost;
        case Wait::TimedOut:
            break;
        }
    }
    return OutcomeKind::NoAcknowledgement;
}

ParameterTransfer::PageResult ParameterTransfer::readAll(TransferBytes& target, TransferOperation operation,
                                                         WritePhase phase, int& retries,
                                                         const TransferBytes* reference) {
    const TransferState& state = link_.transferState();
    showProgress(operation, phase, 0);
    for (std::size_t p = 0; p < PageCount; ++p) {
        const int page = static_cast<int>(p) + 1;
        if (stopRequested_)
            return {OutcomeKind::Stopped, page};
        const OutcomeKind fetched = fetchPage(p, retries);
        if (fetched != OutcomeKind::Complete)
            return {fetched, page};
        std::copy(state.PageBuffer.begin(), state.PageBuffer.end(), target.begin() + p * PageSize);
        if (reference) {
            const auto expected = reference->begin() + p * PageSize;
            differing_[p] = !std::equal(state.PageBuffer.begin(), state.PageBuffer.end(), expected);
            if (differing_[p])
                setColour(colour::Red);
        }
        showProgress(operation, phase, page);
    }
    return {OutcomeKind::Complete, static_cast<int>(PageCount)};
}

namespace {
ImageBytes asImage(const TransferBytes& pages) {
    ImageBytes image{};
    std::copy(pages.begin(), pages.end(), image.begin());
    return image;
}
} // namespace

std::vector<DiffRow> ParameterTransfer::moduleDifferences() const {
    return diffImages(asImage(moduleCopy_), asImage(TransferCopy), 0, TransferLength);
}

void ParameterTransfer::acceptTransferCopy() {
    std::copy(TransferCopy.begin(), TransferCopy.end(), image_.begin());
    std::fill(image_.begin() + TransferLength, image_.end(), 0x00);
    imageSource_ = ImageSource::Module;
}

bool ParameterTransfer::writeNeedsConfirmation() const {
    // Both: an image set by other means than those the windows report is still not the fresh one.
    return imageSource_ == ImageSource::Fresh && image_ == freshImage();
}

TransferOutcome ParameterTransfer::read() {
    RunningScope scope(running_);
    begin();
    TransferOutcome outcome{.operation = TransferOperation::Read};
    // What was last exchanged fills page by page; the image changes only when every page came.
    const PageResult result = readAll(TransferCopy, TransferOperation::Read, WritePhase::Writing, outcome.retries);
    outcome.kind = result.failure;
    outcome.page = result.page;
    if (outcome.succeeded())
        acceptTransferCopy();
    return finish(outcome);
}

TransferOutcome ParameterTransfer::write(const WriteOptions& options) {
    RunningScope scope(running_);
    begin();
    TransferOutcome outcome{.operation = TransferOperation::Write};

    if (options.backup) {
        outcome.phase = WritePhase::Backup;
        TransferBytes module{};
        const PageResult result = readAll(module, TransferOperation::Write, WritePhase::Backup, outcome.retries);
        if (result.failure != OutcomeKind::Complete) {
            const bool byItself = result.failure == OutcomeKind::Stopped || result.failure == OutcomeKind::LinkLost;
            outcome.kind = byItself ? result.failure : OutcomeKind::BackupFailed;
            outcome.page = result.page;
            // The bar counts pages written, and none was.
            setPosition(0);
            return finish(outcome);
        }
        ImageBytes backup{};
        std::copy(module.begin(), module.end(), backup.begin());
        try {
            outcome.backupFile = backups::save(backup, link_.linkName());
        } catch (const VantrelError& error) {
            outcome.backupProblem = error.message();
            outcome.kind = OutcomeKind::BackupNotSaved;
            outcome.page = static_cast<int>(PageCount);
            setPosition(0);
            return finish(outcome);
        }
    }
    outcome.fileOnlySettings = settingsKeptOnlyInFile(image_);

    outcome.phase = WritePhase::Writing;
    std::copy(image_.begin(), image_.begin() + TransferLength, TransferCopy.begin());
    showProgress(TransferOperation::Write, WritePhase::Writing, 0);
    for (std::size_t p = 0; p < PageCount; ++p) {
        const int page = static_cast<int>(p) + 1;
        const OutcomeKind stored = stopRequested_ ? OutcomeKind::Stopped : storePage(p, outcome.retries);
        if (stored != OutcomeKind::Complete) {
            outcome.kind = stored;
            outcome.page = page;
            return finish(outcome);
        }
        showProgress(TransferOperation::Write, WritePhase::Writing, page);
    }

    if (options.verify) {
        outcome.phase = WritePhase::Verifying;
        const PageResult result = readAll(moduleCopy_, TransferOperation::Write, WritePhase::Verifying,
                                          outcome.retries, &TransferCopy);
        if (result.failure != OutcomeKind::Complete) {
            outcome.kind = result.failure;
            outcome.page = result.page;
            return finish(outcome);
        }
        const auto first = std::find(differing_.begin(), differing_.end(), true);
        if (first != differing_.end()) {
            outcome.kind = OutcomeKind::VerifyMismatch;
            outcome.page = static_cast<int>(first - differing_.begin()) + 1;
            outcome.differences = static_cast<int>(std::count(differing_.begin(), differing_.end(), true));
            return finish(outcome);
        }
        outcome.verified = true;
    }
    outcome.page = static_cast<int>(PageCount);
    return finish(outcome);
}

TransferOutcome ParameterTransfer::compare() {
    RunningScope scope(running_);
    begin();
    TransferOutcome outcome{.operation = TransferOperation::Compare};
    const PageResult result =
        readAll(moduleCopy_, TransferOperation::Compare, WritePhase::Writing, outcome.retries, &TransferCopy);
    outcome.kind = result.failure;
    outcome.page = result.page;
    if (result.failure == OutcomeKind::Complete) {
        const bool anyPage = std::find(differing_.begin(), differing_.end(), true) != differing_.end();
        outcome.differences = anyPage ? static_cast<int>(moduleDifferences().size()) : 0;
        if (outcome.differences > 0)
            outcome.kind = OutcomeKind::Differences;
        else
            acceptTransferCopy();
    }
    return finish(outcome);
}

} // namespace vantrel
