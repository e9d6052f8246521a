// The serial port driver: opens a COM port by name with the fixed line settings of the module link,
// writes and reads raw bytes, and tells the user-interface thread when bytes have arrived.
#pragma once

#include "common/Errors.h"
#include "serial/MessageShape.h"

#include <QEvent>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace vantrel {

// A driver failure: Code is the driver's error code, SystemError the system's error number that came with it
// (errno on Linux, GetLastError() on Windows; -1: none).
class ESerialPort : public VantrelError {
public:
    enum : int {
        OpenFailed = 1,
        WriteFailed = 2,
        ReadFailed = 3,
        PurgeFailed = 5,
        LineSettingsFailed = 7,
        TimeoutsFailed = 8,
        QueueSizesFailed = 9,
        QueueStatusFailed = 10,
    };
    ESerialPort(int code, int systemError = -1);
    int Code() const { return code_; }
    int SystemError() const { return systemError_; }

    static QString textFor(int code);

private:
    int code_;
    int systemError_;
};

class SerialDevice;
class TSerialMonitor;

class TSerialPort : public QObject {
    Q_OBJECT
public:
    using RxCharHandler = std::function<void(TSerialPort* sender, int count)>;

    explicit TSerialPort(QObject* parent = nullptr);
    ~TSerialPort() override; // closes the port if it is open

    // Setting a name normalises it ("com5" -> "COM5", nonsense -> "COM1"); a different name while open
    // closes the port and reopens it on the new name at once (ESerialPort if that fails; then closed).
    QString Port() const { return port_; }
    void setPort(const QString& name);

    // True opens the port (ESerialPort on failure, Connected stays false); false closes it.
    bool Connected() const { return device_ != nullptr; }
    void setConnected(bool connected);

    // Writes all bytes unless the write time-out (1000 ms + 100 ms per byte) ends it first; returns the
    // number written. ESerialPort (code 2) on failure, also on a closed port.
    int WriteBytes(const void* data, int count);
    int WriteText(const QByteArray& text);

    // Copies up to count bytes already received; never waits; 0 when nothing waits. ESerialPort on failure.
    int ReadBytes(void* buffer, int count);

    // Called on the user-interface thread with the number of bytes waiting, whenever bytes have arrived.
    RxCharHandler OnRxChar;

    // What the messages on the line look like; with it each message is handed over as a whole, as soon as
    // its last byte is in, and the program sleeps while it arrives. Takes effect at the next open.
    void setMessageShape(const MessageShape& shape) { shape_ = shape; }

    // Whether the device is still watched for bytes; the watch ends by itself when the device goes away.
    bool monitorRunning() const;

    // Called once on the user-interface thread when the device goes away while open (a hang-up, or a read,
    // write or wait failing because the device is gone). The port stays open: the owner closes it.
    using LinkLostHandler = std::function<void(TSerialPort* sender)>;
    LinkLostHandler OnLinkLost;
    // Whether the open port has lost its device (cleared by closing).
    bool linkLost() const { return linkLost_; }

    // The event type of the loss report, posted to the port.
    static QEvent::Type linkLostEventType();

protected:
    bool event(QEvent* event) override;

private:
    friend class TSerialMonitor;
    void open();
    void close();
    void releaseDevice();
    // Marks the loss and posts its report once; the error of a failed call on a gone device.
    void noteLinkLost();
    // Runs for each hand-over of the monitor (and when the port closes, if bytes came meanwhile): calls
    // OnRxChar with the bytes waiting; returns their count.
    int deliverRxChar();
    // The monitor's hand-over: an error the handler lets escape ends the delivery, not the line.
    void deliverHandOver();

    // Bytes the monitor handed over but the program has not read yet: the receive queue continues here, so
    // the byte-at-a-time reads of the receive handler cost no system call each.
    int rxQueued() const { return static_cast<int>(rx_.size()) - rxBegin_; }
    // Where the monitor hands the bytes over: behind those still unread.
    void queueReceived(std::span<const std::uint8_t> bytes);
    // The old way, for a port whose monitor has ended: reads the device itself (and meets its error).
    void readDevice();

    QString port_ = QStringLiteral("COM1");
    MessageShape shape_;
    std::vector<char> rx_;
    int rxBegin_ = 0;
    bool delivering_ = false;
    std::unique_ptr<SerialDevice> device_;
    bool linkLost_ = false;
    bool lossReported_ = false;
    std::unique_ptr<TSerialMonitor> monitor_;
};

} // namespace vantrel
