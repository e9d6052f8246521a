#include "serial/SerialPort.h"

#include "serial/PortNames.h"
#include "serial/SerialDevice.h"
#include "serial/SerialMonitor.h"

#include <QCoreApplication>
#include <QScopedValueRollback>
#include <algorithm>
#include <cstring>

namespace vantrel {

namespace {

QString serialMessage(int code, int systemError) {
    QString text = ESerialPort::textFor(code);
    if (systemError != -1)
        text += QStringLiteral(" (win error code: %1)").arg(systemError);
    return text;
}

} // namespace

ESerialPort::ESerialPort(int code, int systemError)
    : VantrelError(serialMessage(code, systemError)), code_(code), systemError_(systemError) {}

QString ESerialPort::textFor(int code) {
    switch (code) {
    case OpenFailed:
        return QStringLiteral("Unable to open com port");
    case WriteFailed:
        return QStringLiteral("WriteFile function failed");
    case ReadFailed:
        return QStringLiteral("ReadFile function failed");
    case PurgeFailed:
        return QStringLiteral("PurgeComm function failed");
    case LineSettingsFailed:
        return QStringLiteral("SetCommState function failed");
    case TimeoutsFailed:
        return QStringLiteral("SetCommTimeouts failed");
    case QueueSizesFailed:
        return QStringLiteral("SetupComm function failed");
    case QueueStatusFailed:
        return QStringLiteral("ClearCommError function failed");
    default:
        return QStringLiteral("Serial port error %1").arg(code);
    }
}

TSerialPort::TSerialPort(QObject* parent) : QObject(parent) {}

TSerialPort::~TSerialPort() {
    try {
        close();
    } catch (...) {
        // Nothing can be reported while the program ends; the system releases the device with the process.
    }
}

void TSerialPort::setPort(const QString& name) {
    const QString normalised = normalisePortName(name);
    if (normalised == port_)
        return;
    port_ = normalised;
    if (Connected()) {
        close();
        open();
    }
}

void TSerialPort::setConnected(bool connected) {
    if (connected == Connected())
        return;
    if (connected)
        open();
    else
        close();
}

void TSerialPort::open() {
    device_ = SerialDevice::open(port_);
    monitor_ = std::make_unique<TSerialMonitor>(this, *device_, shape_);
}

void TSerialPort::close() {
    if (!Connected())
        return;
    // A device that refuses to end its transfers stays held, the monitor running; one that has gone
    // cannot refuse anything, and closing it must always work.
    try {
        device_->abortTransfers();
    } catch (const ESerialPort& e) {
        if (!linkLost_ && !SerialDevice::isLinkLossError(e.SystemError()))
            throw;
    }
    if (monitor_) {
        // What the monitor received before it stopped is still delivered, unless the close comes from the
        // receive handler itself.
        if (monitor_->stop() && !delivering_)
            deliverRxChar();
        monitor_.reset();
    }
    releaseDevice();
}

void TSerialPort::releaseDevice() {
    monitor_.reset();
    device_.reset();
    linkLost_ = false;
    lossReported_ = false;
    rx_.clear();
    rxBegin_ = 0;
}

int TSerialPort::WriteBytes(const void* data, int count) {
    if (!Connected())
        throw ESerialPort(ESerialPort::WriteFailed, SerialDevice::notOpenError());
    if (count <= 0)
        return 0;
    int written = 0;
    try {
        written = device_->write(data, count);
    } catch (const ESerialPort& e) {
        if (SerialDevice::isLinkLossError(e.SystemError()))
            noteLinkLost();
        throw;
    }
    if (written > 0 && monitor_)
        monitor_->lineTurned();
    return written;
}

int TSerialPort::WriteText(const QByteArray& text) {
    return WriteBytes(text.constData(), static_cast<int>(text.size()));
}

int TSerialPort::ReadBytes(void* buffer, int count) {
    if (!Connected())
        throw ESerialPort(ESerialPort::ReadFailed, SerialDevice::notOpenError());
    if (count <= 0)
        return 0;
    if (rxQueued() == 0 && !monitorRunning())
        readDevice();
    const int taken = std::min(count, rxQueued());
    if (taken == 0)
        return 0; // an empty queue may have no storage at all
    std::memcpy(buffer, rx_.data() + rxBegin_, static_cast<size_t>(taken));
    rxBegin_ += taken;
    return taken;
}

void TSerialPort::queueReceived(std::span<const std::uint8_t> bytes) {
    if (rxBegin_ > 0 && rxQueued() == 0) {
        rx_.clear();
        rxBegin_ = 0;
    }
    rx_.insert(rx_.end(), bytes.begin(), bytes.end());
}

void TSerialPort::readDevice() {
    char chunk[512];
    int err = 0;
    const int n = device_->read(chunk, sizeof chunk, err);
    if (n < 0) {
        if (SerialDevice::isLinkLossError(err))
            noteLinkLost();
        throw ESerialPort(ESerialPort::ReadFailed, err);
    }
    rx_.insert(rx_.end(), chunk, chunk + n);
}

bool TSerialPort::monitorRunning() const {
    return monitor_ && monitor_->running();
}

QEvent::Type TSerialPort::linkLostEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void TSerialPort::noteLinkLost() {
    if (!Connected() || linkLost_)
        return;
    linkLost_ = true;
    // Reported through the event loop, never from inside the failing call: the handler closes the port,
    // which must not happen under a caller that is still using it.
    QCoreApplication::postEvent(this, new QEvent(linkLostEventType()));
}

bool TSerialPort::event(QEvent* e) {
    if (e->type() == linkLostEventType()) {
        // A report for a port closed (or reopened) meanwhile is stale: the owner already acted.
        if (Connected() && !lossReported_) {
            linkLost_ = true;
            lossReported_ = true;
            if (OnLinkLost)
                OnLinkLost(this);
        }
        return true;
    }
    return QObject::event(e);
}

void TSerialPort::deliverHandOver() {
    // A handler that fails leaves the rest of its bytes; nothing is shown and the line goes on.
    try {
        deliverRxChar();
    } catch (...) {
        // The bytes the handler did not take wait for the next arrival.
    }
}

int TSerialPort::deliverRxChar() {
    const int waiting = Connected() ? rxQueued() : 0;
    if (waiting == 0)
        return 0;
    if (OnRxChar) {
        const QScopedValueRollback inside(delivering_, true);
        OnRxChar(this, waiting);
    }
    return waiting;
}

} // namespace vantrel
