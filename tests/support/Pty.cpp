#include "tests/support/Pty.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <algorithm>

namespace vantrel::test {

PtyPair::PtyPair() {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    termios tio{};
    tcgetattr(slave_, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave_, TCSANOW, &tio);
    tcgetattr(master_, &tio);
    cfmakeraw(&tio);
    tcsetattr(master_, TCSANOW, &tio);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    path_ = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair() {
    closeControl();
    if (slave_ >= 0)
        ::close(slave_);
}

void PtyPair::write(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error("pty write failed");
        done += n;
    }
}

QByteArray PtyPair::read(int timeoutMs, int atLeast) {
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (out.size() < atLeast) {
        // At least one look, so a zero time-out takes what has already arrived.
        const qint64 left = std::max<qint64>(0, timeoutMs - clock.elapsed());
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        char buf[4096];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, n);
    }
    return out;
}

void PtyPair::closeControl() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

int PtyPair::terminalQueued() const {
    int queued = 0;
    return ::ioctl(slave_, FIONREAD, &queued) == 0 ? queued : -1;
}

} // namespace vantrel::test
