// The link to the module: the serial port, the two ciphers, the receive window, the request counter and
// the transfer state. Received bytes are decoded and dispatched here; the windows send through it.
#pragma once

#include "protocol/Dispatch.h"
#include "protocol/ModuleLink.h"
#include "serial/SerialPort.h"

#include <functional>

namespace vantrel {

class ModuleConnection : public ModuleLink {
public:
    ModuleConnection();
    ~ModuleConnection();
    ModuleConnection(const ModuleConnection&) = delete;
    ModuleConnection& operator=(const ModuleConnection&) = delete;

    // Called once when the device went away while connected, after the port was closed here: the owner
    // shows the disconnected state. The port is closed at once, so a transfer waiting for a reply sees
    // linkConnected() false and ends with its link-lost outcome.
    std::function<void()> OnLinkLost;

    // Where texts and status messages go; until set, they are dropped.
    void setSink(DispatchSink* sink) { sink_ = sink; }

    TSerialPort& ComPort1() { return port_; }
    const TSerialPort& ComPort1() const { return port_; }

    // The receive notification: reads the waiting bytes one at a time into the frame receiver. An error
    // ends the reading of this notification silently; what still waits comes with the next one.
    void ComPort1RxChar(TSerialPort* sender, int count);
    bool FeedByte(std::uint8_t b) { return receiver_.FeedByte(b); }
    const FrameReceiver& receiver() const { return receiver_; }

    std::uint8_t TxSequence() const { return txSequence_; }

    // Open, and the device still there: once the device has gone (unplugged, hung up) the monitor has
    // ended and nothing can arrive any more, although the port stays open until it is closed.
    bool linkConnected() const override { return port_.Connected() && port_.monitorRunning(); }
    void SendLine(const QByteArray& text) override;
    void SendRequest(std::uint8_t code, const RequestArgs& args) override;
    void SendBlock(std::uint8_t code, const BlockData& data) override;
    TransferState& transferState() override { return state_; }
    QString linkName() const override { return port_.Port(); }

private:
    void DispatchFrame(const Plaintext& plain);
    void sendFrame(const Plaintext& plain);

    TSerialPort port_;
    FrameReceiver receiver_; // decrypts with its own cipher (the incoming one)
    Aes128 aes2_;            // the outgoing cipher
    std::uint8_t txSequence_ = 0;
    TransferState state_;
    DispatchSink* sink_ = nullptr;
};

} // namespace vantrel
