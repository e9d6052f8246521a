// The operations through which the windows reach the module: the plain text line, numbered requests,
// data blocks, and the state that the replies leave behind.
#pragma once

#include "protocol/Requests.h"
#include "protocol/TransferState.h"

#include <QByteArray>
#include <QString>

namespace vantrel {

class ModuleLink {
public:
    virtual ~ModuleLink() = default;

    // Whether the serial port is open and its device still there.
    virtual bool linkConnected() const = 0;
    // Writes text and a carriage return if the port is open; nothing otherwise.
    virtual void SendLine(const QByteArray& text) = 0;
    // One request frame with the next sequence number. The caller checks the port first; driver errors
    // (ESerialPort) reach the caller.
    virtual void SendRequest(std::uint8_t code, const RequestArgs& args) = 0;
    // One data block frame. The caller checks the port first; driver errors reach the caller.
    virtual void SendBlock(std::uint8_t code, const BlockData& data) = 0;

    virtual TransferState& transferState() = 0;

    // The port's name as the user chose it ("COM7"), for the names of backups; empty when unknown.
    virtual QString linkName() const { return {}; }
};

} // namespace vantrel
