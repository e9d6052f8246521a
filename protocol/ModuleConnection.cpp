#include "protocol/ModuleConnection.h"

namespace vantrel {

ModuleConnection::ModuleConnection() {
    receiver_.setDispatch([this](const Plaintext& plain) { DispatchFrame(plain); });
    port_.OnRxChar = [this](TSerialPort* sender, int count) { ComPort1RxChar(sender, count); };
    // Everything the module sends is a secured frame.
    port_.setMessageShape({static_cast<int>(FrameSize), FrameStart, FrameEnd});
    port_.OnLinkLost = [this](TSerialPort*) {
        try {
            port_.setConnected(false);
        } catch (...) {
            // Closing a gone device cannot fail in a way that matters: the descriptor is released anyway.
        }
        if (OnLinkLost)
            OnLinkLost();
    };
}

ModuleConnection::~ModuleConnection() {
    // Closing the port delivers a notification that is still pending; by then the receiver and the state
    // it would feed must not be half gone. The port closes first, with nobody listening.
    port_.OnRxChar = nullptr;
    port_.OnLinkLost = nullptr;
    try {
        port_.setConnected(false);
    } catch (...) {
        // Nothing to report while the program ends; the system releases the device.
    }
}

void ModuleConnection::ComPort1RxChar(TSerialPort*, int count) {
    try {
        for (int i = 0; i < count; ++i) {
            std::uint8_t b = 0;
            if (port_.ReadBytes(&b, 1) != 1)
                return;
            receiver_.FeedByte(b);
        }
    } catch (...) {
        // Reading or handling failed: the rest of this notification is left; nothing is shown.
    }
}

namespace {

// Where texts and status go while no window listens: nowhere. Pages and acknowledgements still count.
struct NoSink : DispatchSink {
    void AppendToMemo(MemoTarget, const QByteArray&, bool) override {}
    void StatusMessage(const std::array<std::uint8_t, 4>&) override {}
};

} // namespace

void ModuleConnection::DispatchFrame(const Plaintext& plain) {
    static NoSink none;
    vantrel::DispatchFrame(plain, state_, sink_ ? *sink_ : none);
}

void ModuleConnection::SendLine(const QByteArray& text) {
    if (!port_.Connected())
        return;
    port_.WriteText(text + '\r');
}

void ModuleConnection::SendRequest(std::uint8_t code, const RequestArgs& args) {
    const std::uint8_t sequence = txSequence_++;
    sendFrame(requestPlaintext(code, sequence, args));
}

void ModuleConnection::SendBlock(std::uint8_t code, const BlockData& data) {
    sendFrame(blockPlaintext(code, data));
}

void ModuleConnection::sendFrame(const Plaintext& plain) {
    const SecuredFrame frame = encodeFrame(aes2_, plain);
    port_.WriteBytes(frame.data(), static_cast<int>(frame.size()));
}

} // namespace vantrel
