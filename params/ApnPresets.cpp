// APN presets: built-in list, item parsing, and the APNs.dat file.
#include "params/ApnPresets.h"

#include "common/Cp1250.h"
#include "common/Errors.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

namespace {

constexpr QChar kQuote = QLatin1Char('"');

// Closes a descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, so that a failing close (data not reaching the disk) can be reported.
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += n;
    }
    return true;
}

// The mode a newly created file gets from the process: 0666 less the umask.
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

QString apnPresetFileName() {
    return QStringLiteral("APNs.dat");
}

QString apnPresetItem(const QString& name, const ApnPreset& values) {
    return QStringLiteral("%1\"%2\",\"%3\",\"%4\"")
        .arg(name.leftJustified(ApnPresetNameWidth, QLatin1Char(' ')), values.apn, values.userName, values.password);
}

QStringList builtInApnPresets() {
    return {
        apnPresetItem(QStringLiteral("Egyéni beállítás"), {}),
        apnPresetItem(QStringLiteral("T-Mobile"), {QStringLiteral("internet"), {}, {}}),
        apnPresetItem(QStringLiteral("Pannon GSM"), {QStringLiteral("net"), {}, {}}),
        apnPresetItem(QStringLiteral("Vodafone"), {QStringLiteral("internet.vodafone.net"), {}, {}}),
        apnPresetItem(QStringLiteral("VodaVitamax"), {QStringLiteral("vitamax.internet.vodafone.net"), {}, {}}),
    };
}

ApnPreset ParseApnPreset(const QString& item) {
    QString rest = item;
    // Skip to the opening quote; the text up to the closing quote is the value. A missing closing quote
    // leaves the value empty and the rest as it is.
    auto next = [&rest]() -> QString {
        const qsizetype open = rest.indexOf(kQuote);
        if (open >= 0)
            rest.remove(0, open + 1);
        const qsizetype close = rest.indexOf(kQuote);
        if (close < 0)
            return {};
        QString value = rest.left(close);
        rest.remove(0, close + 1);
        return value;
    };
    ApnPreset preset;
    preset.apn = next();
    preset.userName = next();
    preset.password = next();
    return preset;
}

QString apnPresetName(const QString& item) {
    const qsizetype quote = item.indexOf(kQuote);
    QString name = quote < 0 ? item : item.left(quote);
    qsizetype end = name.size();
    while (end > 0 && name[end - 1].isSpace())
        --end;
    name.truncate(end);
    return name;
}

QStringList splitApnPresetLines(const QByteArray& bytes) {
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.append(fromCp1250(bytes.mid(start, i - start)));
            i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < bytes.size())
        lines.append(fromCp1250(bytes.mid(start)));
    return lines;
}

QByteArray joinApnPresetLines(const QStringList& items) {
    QByteArray bytes;
    for (const QString& item : items) {
        bytes += toCp1250(item);
        bytes += "\r\n";
    }
    return bytes;
}

std::optional<QStringList> readApnPresetFile(const QString& path) {
    // Non-blocking, so that a FIFO or device of that name cannot stall the editor's creation.
    Descriptor fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > ApnPresetFileLimit)
        return std::nullopt;
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
        if (bytes.size() > ApnPresetFileLimit)
            return std::nullopt;
    }
    QStringList lines = splitApnPresetLines(bytes);
    if (lines.isEmpty())
        return std::nullopt;
    return lines;
}

void writeApnPresetFile(const QString& path, const QStringList& items) {
    // Written beside the old file and renamed over it, so a full disk never leaves half a list behind.
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary = QFile::encodeName(QFileInfo(path).absolutePath()) + "/.APNs.dat.XXXXXX";
    Descriptor fd(::mkstemp(temporary.data()));
    if (fd.get() < 0)
        throw EInOutError::fromErrno(errno);
    auto fail = [&temporary](int err) {
        ::unlink(temporary.constData());
        return EInOutError::fromErrno(err);
    };
    if (::fchmod(fd.get(), newFileMode()) != 0)
        throw fail(errno);
    if (!writeAll(fd.get(), joinApnPresetLines(items)))
        throw fail(errno);
    if (::fsync(fd.get()) != 0)
        throw fail(errno);
    if (fd.close() != 0)
        throw fail(errno);
    if (::rename(temporary.constData(), target.constData()) != 0)
        throw fail(errno);
}

} // namespace vantrel
