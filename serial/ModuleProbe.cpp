// Probing ports for a module: raw descriptors and one poll() loop over all of them, so 32 ports cost
// one time-out, not 32.
#include "serial/ModuleProbe.h"

#include "protocol/SecuredFrame.h"
#include "serial/PortDiagnosis.h"
#include "serial/PortNames.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace vantrel {

namespace {

constexpr std::uint8_t kStatusCode = 0x24;

struct Probe {
    int index = 0;
    int fd = -1;
    termios saved{};
    bool haveSaved = false;
    bool exclusiveSet = false;
    std::unique_ptr<FrameReceiver> receiver;
    bool done = false;
};

// Opens as the driver does: flock, refuse another program's exclusive flag, set ours. -1 with errno.
int openExclusive(const QString& path, Probe& p) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    int excl = 0;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || (::ioctl(fd, TIOCGEXCL, &excl) == 0 && excl != 0)) {
        ::close(fd);
        errno = EBUSY;
        return -1;
    }
    p.exclusiveSet = ::ioctl(fd, TIOCEXCL) == 0;
    p.haveSaved = ::tcgetattr(fd, &p.saved) == 0;
    if (p.haveSaved) {
        termios tio = p.saved;
        ::cfmakeraw(&tio);
        tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
        tio.c_cflag |= CS8 | CLOCAL | CREAD;
        tio.c_iflag &= ~(IXON | IXOFF | IXANY);
        ::cfsetispeed(&tio, B19200);
        ::cfsetospeed(&tio, B19200);
        ::tcsetattr(fd, TCSANOW, &tio);
        ::tcflush(fd, TCIOFLUSH);
    }
    return fd;
}

void closeProbe(Probe& p) {
    if (p.fd < 0)
        return;
    if (p.haveSaved)
        ::tcsetattr(p.fd, TCSANOW, &p.saved);
    if (p.exclusiveSet)
        ::ioctl(p.fd, TIOCNXCL);
    ::flock(p.fd, LOCK_UN);
    ::close(p.fd);
    p.fd = -1;
}

} // namespace

QList<ProbeResult> probePorts(const QStringList& ports, int timeoutMs) {
    QList<ProbeResult> results;
    std::vector<Probe> probes;
    for (const QString& name : ports) {
        ProbeResult r;
        r.port = normalisePortName(name);
        r.devicePath = devicePathForPort(r.port);
        const int index = static_cast<int>(results.size());
        results.append(r);
        if (r.devicePath.isEmpty()) {
            results[index].outcome = ProbeResult::Outcome::OpenFailed;
            results[index].systemError = ENOENT;
            continue;
        }
        Probe p;
        p.index = index;
        p.fd = openExclusive(r.devicePath, p);
        if (p.fd < 0) {
            const int err = errno;
            results[index].outcome = err == EBUSY ? ProbeResult::Outcome::Busy : ProbeResult::Outcome::OpenFailed;
            results[index].systemError = err;
            continue;
        }
        // A program that has the device open without a lock is a holder all the same: nothing is sent to it.
        if (!portHolders(r.devicePath).isEmpty()) {
            closeProbe(p);
            results[index].outcome = ProbeResult::Outcome::Busy;
            results[index].systemError = EBUSY;
            continue;
        }
        p.receiver = std::make_unique<FrameReceiver>();
        static const char kAsk[] = "??\r";
        if (::write(p.fd, kAsk, 3) != 3) {
            results[index].outcome = ProbeResult::Outcome::OpenFailed;
            results[index].systemError = errno;
            closeProbe(p);
            continue;
        }
        probes.push_back(std::move(p));
    }

    QElapsedTimer clock;
    clock.start();
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<Probe*> owners;
        for (Probe& p : probes)
            if (!p.done) {
                fds.push_back({p.fd, POLLIN, 0});
                owners.push_back(&p);
            }
        const qint64 left = timeoutMs - clock.elapsed();
        if (fds.empty() || left <= 0)
            break;
        const int n = ::poll(fds.data(), fds.size(), static_cast<int>(left));
        if (n < 0 && errno != EINTR)
            break;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            Probe& p = *owners[i];
            if (fds[i].revents & POLLIN) {
                std::uint8_t buf[256];
                const ssize_t got = ::read(p.fd, buf, sizeof buf);
                for (ssize_t k = 0; k < got && !p.done; ++k) {
                    if (p.receiver->FeedByte(buf[k]) && (p.receiver->RxPlain()[1] & 0x3F) == kStatusCode) {
                        results[p.index].outcome = ProbeResult::Outcome::Answered;
                        p.done = true;
                    }
                }
            } else if (fds[i].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                p.done = true; // gone while asked: no answer
            }
        }
    }
    for (Probe& p : probes)
        closeProbe(p);
    return results;
}

} // namespace vantrel
