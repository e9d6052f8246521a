#include "transfer/ParameterTransfer.h"

#include "protocol/ModuleLink.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace vantrel {

namespace {

// Marks a transfer as running for as long as it is in scope, also when a driver error ends it.
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
    timer1_->start();
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

void ParameterTransfer::begin() {
    stopRequested_ = false;
    setPosition(0);
    setColour(colour::Green);
}

bool ParameterTransfer::waitFor(const std::uint8_t& flag, int ticks) {
    Countdown = ticks;
    // Sleeps until an event arrives: a received byte, a timer tick (at least every 100 ms), user input.
    while (Countdown > 0 && !flag && !stopRequested_)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (stopRequested_)
        Countdown = 0;
    return flag != 0;
}

bool ParameterTransfer::fetchPage(std::size_t p) {
    TransferState& state = link_.transferState();
    state.PageReceived = 0;
    link_.SendRequest(request::ReadPage, pageRequestArgs(p));
    // Answers are not matched to requests: a late page of an earlier request shows by its address.
    return waitFor(state.PageReceived, PageTicks) && state.PageAddress == p * PageSize;
}

void ParameterTransfer::acceptTransferCopy() {
    std::copy(TransferCopy.begin(), TransferCopy.end(), image_.begin());
    std::fill(image_.begin() + TransferLength, image_.end(), 0x00);
}

void ParameterTransfer::read() {
    RunningScope scope(running_);
    begin();
    const TransferState& state = link_.transferState();
    for (std::size_t p = 0; p < PageCount; ++p) {
        if (!fetchPage(p))
            return; // the image keeps the parameter set it held before the read
        std::copy(state.PageBuffer.begin(), state.PageBuffer.end(), TransferCopy.begin() + p * PageSize);
        setPosition(static_cast<int>(p) + 1);
    }
    acceptTransferCopy();
}

void ParameterTransfer::write() {
    RunningScope scope(running_);
    begin();
    std::copy(image_.begin(), image_.begin() + TransferLength, TransferCopy.begin());
    TransferState& state = link_.transferState();
    for (std::size_t p = 0; p < PageCount; ++p) {
        const std::uint8_t* page = TransferCopy.data() + p * PageSize;
        const auto blocks = pageWriteBlocks(page);
        link_.SendRequest(request::WriteHeader, pageRequestArgs(p));
        for (std::size_t b = 0; b + 1 < blocks.size(); ++b)
            link_.SendBlock(request::WriteBlock, blocks[b]);
        // An acknowledgement that came before the last block belongs to nothing we sent now.
        state.WriteAcknowledged = 0;
        link_.SendBlock(request::WriteBlock, blocks.back());
        if (!waitFor(state.WriteAcknowledged, AckTicks)) {
            if (position_ == 0)
                setPosition(1);
            setColour(colour::Red);
            return;
        }
        setPosition(static_cast<int>(p) + 1);
    }
}

void ParameterTransfer::compare() {
    RunningScope scope(running_);
    begin();
    bool equal = true;
    const TransferState& state = link_.transferState();
    for (std::size_t p = 0; p < PageCount; ++p) {
        if (!fetchPage(p))
            return; // the colour stays as it is; the image keeps what it held
        const auto copy = TransferCopy.begin() + p * PageSize;
        if (!std::equal(state.PageBuffer.begin(), state.PageBuffer.end(), copy))
            equal = false;
        setPosition(static_cast<int>(p) + 1);
        if (!equal)
            setColour(colour::Red);
    }
    if (equal)
        acceptTransferCopy();
}

} // namespace vantrel
