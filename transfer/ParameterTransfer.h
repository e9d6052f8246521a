// Moving the parameter image between the PC and the module, page by page: read, write, and compare with
// what was last exchanged. Each page request waits for its answer in the event loop, so the windows stay
// alive and the answers are decoded while the transfer waits.
#pragma once

#include "common/StateColour.h"
#include "params/ParameterImage.h"

#include <QObject>
#include <array>
#include <functional>

class QTimer;

namespace vantrel {

class ModuleLink;

class ParameterTransfer : public QObject {
    Q_OBJECT
public:
    static constexpr int TickMs = 100;
    static constexpr int PageTicks = 50; // 5 s for a page to arrive
    static constexpr int AckTicks = 80;  // 8 s for a write acknowledgement

    // How a running transfer shows its progress: the number of pages done, and the bar's colour.
    struct Display {
        std::function<void(int)> position;
        std::function<void(Rgb)> colour;
    };

    ParameterTransfer(ModuleLink& link, ImageBytes& image, Display display, QObject* parent = nullptr);

    // What was last exchanged with the module in this run; all zero at start.
    std::array<std::uint8_t, TransferLength> TransferCopy{};
    // 100 ms ticks left in the current wait.
    int Countdown = 0;
    QTimer* Timer1() const { return timer1_; }

    // The three transfers. Each runs to its end and reports only through the display; the image changes
    // only when a read or compare goes through. Driver errors (ESerialPort) end the transfer and reach the
    // caller, with the image untouched.
    void read();
    void write();
    void compare();

    // Ends the running transfer as if its current wait had timed out.
    void stop() { stopRequested_ = true; }
    bool running() const { return running_; }
    int position() const { return position_; }

private:
    void Timer1Timer();
    void begin();
    // Waits in the event loop until flag is set, the countdown runs out, or the transfer is stopped.
    bool waitFor(const std::uint8_t& flag, int ticks);
    // Requests page p and waits for it; true when the page with that address arrived.
    bool fetchPage(std::size_t p);
    void setPosition(int position);
    void setColour(Rgb colour);
    void acceptTransferCopy();

    ModuleLink& link_;
    ImageBytes& image_;
    Display display_;
    QTimer* timer1_;
    int position_ = 0;
    bool stopRequested_ = false;
    bool running_ = false;
};

} // namespace vantrel
