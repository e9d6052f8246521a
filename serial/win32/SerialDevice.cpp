// The serial device on Windows: a COM port opened for exclusive, overlapped use; writes and reads are
// overlapped calls the driver waits for, and arrivals are watched with an overlapped WaitCommEvent whose
// event handle the event loop waits on.
#include "serial/SerialDevice.h"

#include "serial/PortNames.h"
#include "serial/SerialPort.h"

#include <QTimer>
#include <QWinEventNotifier>
#include <algorithm>
#include <chrono>
#include <optional>

#include <windows.h>

namespace vantrel {

namespace {

using std::chrono::milliseconds;

constexpr DWORD kQueueSize = 1024;
constexpr DWORD kWriteTimeoutConstantMs = 1000;
constexpr DWORD kWriteTimeoutPerByteMs = 100;
// How much later than the driver the write time-out is kept here, for a driver that does not keep it.
constexpr DWORD kWriteBackstopMs = 250;
// A read asks only for bytes already queued, which the driver hands over at once; this only bounds a
// driver that would keep the read anyway.
constexpr DWORD kReadBoundMs = 200;
// How long closing waits for a cancelled wait to end before it gives up on it.
constexpr DWORD kCancelBoundMs = 1000;

// Looking at the queue on a timer where waiting for arrivals does not work (see waitEnded): the first
// look soon after something happened on the line, later looks further apart while it stays quiet.
constexpr milliseconds kFirstStep{4};
constexpr milliseconds kLongestStep{32};

// A manual-reset event for one kind of overlapped call.
class Event {
public:
    Event() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Event() {
        if (handle_ != nullptr)
            CloseHandle(handle_);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    HANDLE get() const { return handle_; }
    // For a wait that never ended: the system may still signal the handle, so it is never closed.
    void abandon() { handle_ = nullptr; }

private:
    HANDLE handle_;
};

// What a pending WaitCommEvent writes into until it ends: it must stay in place for as long as the wait
// is pending, so it lives on its own.
struct WaitState {
    Event event;
    OVERLAPPED overlapped{};
    DWORD mask = 0;
};

class Win32SerialDevice : public SerialDevice {
public:
    explicit Win32SerialDevice(HANDLE handle) : handle_(handle), wait_(std::make_unique<WaitState>()) {}
    ~Win32SerialDevice() override;

    void setUp();
    int write(const void* data, int count) override;
    int read(void* buffer, int size, int& error) override;
    bool hungUp() override;
    void abortTransfers() override;
    void purge() override { PurgeComm(handle_, PURGE_RXCLEAR | PURGE_TXCLEAR); }
    void setArrivalHandler(std::function<void()> arrived) override;
    void setWatching(bool on) override;

    bool eventsReady() const {
        return wait_->event.get() != nullptr && readEvent_.get() != nullptr && writeEvent_.get() != nullptr;
    }

private:
    // The bytes waiting in the receive queue; false with the error when the device does not answer.
    bool queued(DWORD& count, DWORD& error);
    // The same for the arrival watch: a device that does not answer ends the watch as failed (empty).
    std::optional<DWORD> queuedForWatch();
    // Starts a wait for arrivals, or reports at once what is already there.
    void arm();
    void waitEnded();
    void lookAgain();
    void stepOn(milliseconds step);
    // Ends a pending wait of ours and collects it; false when it would not end.
    bool endWait();
    void fail(DWORD error);
    void report();

    HANDLE handle_;
    DCB saved_{};
    bool haveSaved_ = false;
    Event readEvent_;
    Event writeEvent_;
    std::unique_ptr<WaitState> wait_;
    bool waitPending_ = false;
    std::unique_ptr<QWinEventNotifier> notifier_;
    std::function<void()> arrived_;
    bool watching_ = false;
    QTimer soon_;
    QTimer step_;
    milliseconds stepLength_ = kFirstStep;
    bool polling_ = false;
    bool gone_ = false;
};

Win32SerialDevice::~Win32SerialDevice() {
    watching_ = false;
    soon_.stop();
    step_.stop();
    notifier_.reset();
    if (waitPending_ && !endWait()) {
        // The system still owns the wait's memory and event: they are left to it rather than freed under it.
        wait_->event.abandon();
        (void)wait_.release();
    }
    // The device no longer reports events, and nothing half-received stays for whoever opens it next.
    SetCommMask(handle_, 0);
    PurgeComm(handle_, PURGE_RXABORT | PURGE_TXABORT | PURGE_RXCLEAR | PURGE_TXCLEAR);
    if (haveSaved_)
        SetCommState(handle_, &saved_);
    CloseHandle(handle_);
}

void Win32SerialDevice::setUp() {
    if (!eventsReady())
        throw ESerialPort(ESerialPort::OpenFailed, static_cast<int>(GetLastError()));
    if (!SetupComm(handle_, kQueueSize, kQueueSize))
        throw ESerialPort(ESerialPort::QueueSizesFailed, static_cast<int>(GetLastError()));

    saved_.DCBlength = sizeof saved_;
    if (!GetCommState(handle_, &saved_))
        throw ESerialPort(ESerialPort::LineSettingsFailed, static_cast<int>(GetLastError()));
    haveSaved_ = true;
    // 19200 8N1, DTR and RTS asserted while open, no handshake of any kind, every byte value passed
    // through unchanged (no parity replacement, no NUL stripping, no end-of-file or event character).
    DCB dcb = saved_;
    dcb.BaudRate = CBR_19200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0;
    dcb.EvtChar = 0;
    if (!SetCommState(handle_, &dcb))
        throw ESerialPort(ESerialPort::LineSettingsFailed, static_cast<int>(GetLastError()));

    // Reads return at once with what has arrived; a write of n bytes ends after 1000 + 100 n ms at most.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = kWriteTimeoutPerByteMs;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutConstantMs;
    if (!SetCommTimeouts(handle_, &timeouts))
        throw ESerialPort(ESerialPort::TimeoutsFailed, static_cast<int>(GetLastError()));

    if (!SetCommMask(handle_, EV_RXCHAR))
        throw ESerialPort(ESerialPort::OpenFailed, static_cast<int>(GetLastError()));
    PurgeComm(handle_, PURGE_RXABORT | PURGE_TXABORT | PURGE_RXCLEAR | PURGE_TXCLEAR);

    soon_.setSingleShot(true);
    step_.setSingleShot(true);
    step_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&soon_, &QTimer::timeout, &soon_, [this] { report(); });
    QObject::connect(&step_, &QTimer::timeout, &step_, [this] { lookAgain(); });
}

int Win32SerialDevice::write(const void* data, int count) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = writeEvent_.get();
    ResetEvent(overlapped.hEvent);
    DWORD written = 0;
    if (!WriteFile(handle_, data, static_cast<DWORD>(count), &written, &overlapped)) {
        DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING)
            throw ESerialPort(ESerialPort::WriteFailed, static_cast<int>(error));
        // The driver ends the write at its time-out: Windows as a success with fewer bytes, Wine as a
        // failure (ERROR_TIMEOUT) with the bytes that went out counted all the same. The time-out is also
        // kept here, a little later, for a driver that would not end the write. Either way the write
        // returns what went out before its end.
        const DWORD timeout = kWriteTimeoutConstantMs + kWriteTimeoutPerByteMs * static_cast<DWORD>(count);
        const bool overdue = WaitForSingleObject(overlapped.hEvent, timeout + kWriteBackstopMs) == WAIT_TIMEOUT;
        if (overdue)
            CancelIoEx(handle_, &overlapped);
        if (!GetOverlappedResult(handle_, &overlapped, &written, TRUE)) {
            error = GetLastError();
            if (error != ERROR_TIMEOUT && !(overdue && error == ERROR_OPERATION_ABORTED))
                throw ESerialPort(ESerialPort::WriteFailed, static_cast<int>(error));
        }
    }
    // What the program sends is answered soon: a look on a timer starts again at its shortest step.
    if (step_.isActive() && stepLength_ > kFirstStep)
        stepOn(kFirstStep);
    return static_cast<int>(written);
}

bool Win32SerialDevice::queued(DWORD& count, DWORD& error) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle_, &errors, &status)) {
        error = GetLastError();
        return false;
    }
    count = status.cbInQue;
    return true;
}

std::optional<DWORD> Win32SerialDevice::queuedForWatch() {
    DWORD waiting = 0;
    DWORD error = 0;
    if (!queued(waiting, error)) {
        fail(error);
        return std::nullopt;
    }
    return waiting;
}

int Win32SerialDevice::read(void* buffer, int size, int& error) {
    // Only what is queued is asked for: a read of an empty queue may stay pending where the read
    // time-outs are not kept (Wine's pseudo-terminal ports).
    DWORD waiting = 0;
    DWORD failure = 0;
    if (!queued(waiting, failure)) {
        error = static_cast<int>(failure);
        return -1;
    }
    if (waiting == 0 || size <= 0)
        return 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = readEvent_.get();
    ResetEvent(overlapped.hEvent);
    DWORD got = 0;
    if (ReadFile(handle_, buffer, std::min(waiting, static_cast<DWORD>(size)), &got, &overlapped))
        return static_cast<int>(got);
    failure = GetLastError();
    if (failure != ERROR_IO_PENDING) {
        error = static_cast<int>(failure);
        return -1;
    }
    const bool cancelled = WaitForSingleObject(overlapped.hEvent, kReadBoundMs) == WAIT_TIMEOUT;
    if (cancelled)
        CancelIoEx(handle_, &overlapped);
    if (!GetOverlappedResult(handle_, &overlapped, &got, TRUE)) {
        failure = GetLastError();
        if (!(cancelled && failure == ERROR_OPERATION_ABORTED)) {
            error = static_cast<int>(failure);
            return -1;
        }
    }
    return static_cast<int>(got);
}

bool Win32SerialDevice::hungUp() {
    if (gone_)
        return true;
    DWORD waiting = 0;
    DWORD error = 0;
    return !queued(waiting, error);
}

void Win32SerialDevice::abortTransfers() {
    if (!PurgeComm(handle_, PURGE_TXABORT | PURGE_RXABORT))
        throw ESerialPort(ESerialPort::PurgeFailed, static_cast<int>(GetLastError()));
}

void Win32SerialDevice::setArrivalHandler(std::function<void()> arrived) {
    arrived_ = std::move(arrived);
    notifier_ = std::make_unique<QWinEventNotifier>(wait_->event.get());
    notifier_->setEnabled(false);
    QObject::connect(notifier_.get(), &QWinEventNotifier::activated, notifier_.get(), [this] { waitEnded(); });
}

void Win32SerialDevice::setWatching(bool on) {
    if (on == watching_)
        return;
    watching_ = on;
    if (!on) {
        // A wait still pending stays so; its end is collected when watching resumes.
        if (notifier_)
            notifier_->setEnabled(false);
        soon_.stop();
        step_.stop();
        return;
    }
    if (!notifier_)
        return;
    if (gone_) {
        soon_.start(0); // told again: the reader ends its watch once it has met the failure
        return;
    }
    if (waitPending_) {
        if (WaitForSingleObject(wait_->event.get(), 0) != WAIT_OBJECT_0) {
            notifier_->setEnabled(true);
            return;
        }
        // It ended while nobody watched, most likely for bytes that have been read since: a fresh wait
        // (below) tells whether anything is left, without a wake-up for what is gone.
        DWORD unused = 0;
        GetOverlappedResult(handle_, &wait_->overlapped, &unused, FALSE);
        waitPending_ = false;
    }
    if (polling_)
        stepOn(kFirstStep);
    else
        arm();
}

void Win32SerialDevice::arm() {
    // Setting the mask again forgets the arrivals the device noted while nobody waited: their bytes have
    // been read. Bytes still queued are reported at once, as a wait would not end for them.
    if (!SetCommMask(handle_, EV_RXCHAR)) {
        fail(GetLastError());
        return;
    }
    const std::optional<DWORD> waiting = queuedForWatch();
    if (!waiting)
        return;
    if (*waiting > 0) {
        soon_.start(0);
        return;
    }
    WaitState& w = *wait_;
    ResetEvent(w.event.get());
    w.overlapped = OVERLAPPED{};
    w.overlapped.hEvent = w.event.get();
    w.mask = 0;
    if (WaitCommEvent(handle_, &w.mask, &w.overlapped)) {
        soon_.start(0);
        return;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) {
        fail(error);
        return;
    }
    waitPending_ = true;
    notifier_->setEnabled(true);
}

void Win32SerialDevice::waitEnded() {
    notifier_->setEnabled(false);
    if (!waitPending_)
        return;
    DWORD unused = 0;
    const bool ok = GetOverlappedResult(handle_, &wait_->overlapped, &unused, FALSE);
    const DWORD error = ok ? 0 : GetLastError();
    if (error == ERROR_IO_INCOMPLETE) {
        notifier_->setEnabled(true);
        return;
    }
    waitPending_ = false;
    if (!watching_)
        return;
    if (ok) {
        report();
        return;
    }
    if (error == ERROR_OPERATION_ABORTED) {
        // Nothing of ours ended the wait. Where the device is still there this is Wine on a
        // pseudo-terminal: its wait ends at once, aborted, unless bytes are already queued (it asks the
        // terminal for modem lines it does not have). There the queue is looked at on a timer instead,
        // a step at a time, never in a tight loop; on Windows a wait does not end so, and this never runs.
        const std::optional<DWORD> waiting = queuedForWatch();
        if (!waiting)
            return;
        if (*waiting > 0) {
            report();
            return;
        }
        polling_ = true;
        stepOn(kFirstStep);
        return;
    }
    fail(error);
}

void Win32SerialDevice::lookAgain() {
    if (!watching_)
        return;
    const std::optional<DWORD> waiting = queuedForWatch();
    if (!waiting)
        return;
    if (*waiting > 0) {
        report();
        return;
    }
    stepOn(std::min(stepLength_ * 2, kLongestStep));
}

void Win32SerialDevice::stepOn(milliseconds step) {
    stepLength_ = step;
    step_.start(step);
}

void Win32SerialDevice::fail(DWORD) {
    // The device no longer waits or answers: the port's reader looks once more and meets the failure
    // itself (hungUp() is true from now on), so the watch does not spin on it.
    gone_ = true;
    soon_.start(0);
}

void Win32SerialDevice::report() {
    if (watching_ && arrived_)
        arrived_();
}

bool Win32SerialDevice::endWait() {
    WaitState& w = *wait_;
    // A new event mask ends a pending wait; cancelling is the way for a driver that ignores that.
    SetCommMask(handle_, 0);
    if (WaitForSingleObject(w.event.get(), kCancelBoundMs) != WAIT_OBJECT_0) {
        CancelIoEx(handle_, &w.overlapped);
        if (WaitForSingleObject(w.event.get(), kCancelBoundMs) != WAIT_OBJECT_0)
            return false;
    }
    DWORD unused = 0;
    GetOverlappedResult(handle_, &w.overlapped, &unused, FALSE);
    waitPending_ = false;
    return true;
}

} // namespace

std::unique_ptr<SerialDevice> SerialDevice::open(const QString& portName) {
    const QString path = devicePathForPort(portName);
    if (path.isEmpty())
        throw ESerialPort(ESerialPort::OpenFailed, ERROR_FILE_NOT_FOUND);
    // Share mode 0: this program alone; an existing device only; overlapped, so that waiting for arrivals
    // and writing can go on side by side.
    const HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw ESerialPort(ESerialPort::OpenFailed, static_cast<int>(GetLastError()));
    auto device = std::make_unique<Win32SerialDevice>(handle);
    device->setUp(); // a failure releases the device with it
    return device;
}

bool SerialDevice::isLinkLossError(int systemError) {
    // What reads, writes and waits fail with when the device has gone: a pulled USB adapter (the driver
    // refuses every call, or aborts what was pending), a pseudo-terminal whose other end closed (Wine).
    switch (static_cast<DWORD>(systemError)) {
    case ERROR_BAD_COMMAND:
    case ERROR_ACCESS_DENIED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_OPERATION_ABORTED:
    case ERROR_GEN_FAILURE:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_NOT_READY:
    case ERROR_BROKEN_PIPE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_IO_DEVICE:
        return true;
    default:
        return false;
    }
}

int SerialDevice::notOpenError() {
    return ERROR_INVALID_HANDLE;
}

} // namespace vantrel
