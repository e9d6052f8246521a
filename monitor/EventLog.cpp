// The event log file: appending with one write per line, rotation and reading back.
#include "monitor/EventLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QTextStream>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

namespace {

QMutex& logMutex() {
    static QMutex mutex;
    return mutex;
}

EventLog::WarningHandler& warningHandler() {
    static EventLog::WarningHandler handler;
    return handler;
}

TextLanguage& warningLanguage() {
    static TextLanguage language = TextLanguage::Hungarian;
    return language;
}

bool& warned() {
    static bool value = false;
    return value;
}

const QDateTime& startTime() {
    static const QDateTime start = QDateTime::currentDateTime();
    return start;
}

QString rotatedName(const QString& base, int n) {
    return n == 0 ? base : base + QLatin1Char('.') + QString::number(n);
}

// Renames events.log -> events.log.1 -> ... keeping kFilesKept files. An flock on the current file makes
// two processes that both see it full rotate it only once.
void rotateIfFull(const QString& base) {
    const QByteArray name = QFile::encodeName(base);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0 || st.st_size < EventLog::kRotateSize)
        return;
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX) == 0) {
        struct stat again {};
        // Another process may have rotated while we waited: only a file that is still full goes.
        if (::stat(name.constData(), &again) == 0 && again.st_ino == st.st_ino &&
            again.st_size >= EventLog::kRotateSize) {
            for (int i = EventLog::kFilesKept - 1; i >= 1; --i)
                ::rename(QFile::encodeName(rotatedName(base, i - 1)).constData(),
                         QFile::encodeName(rotatedName(base, i)).constData());
        }
        ::flock(fd, LOCK_UN);
    }
    ::close(fd);
}

void reportFailure(int err) {
    if (warned())
        return;
    warned() = true;
    if (!warningHandler())
        return;
    const TextLanguage language = warningLanguage();
    warningHandler()((language == TextLanguage::Hungarian
                          ? QStringLiteral("Figyelmeztetés: az eseménynapló nem írható (%1).")
                          : QStringLiteral("Warning: the event log cannot be written (%1)."))
                         .arg(systemErrorText(err, language)));
}

} // namespace

QString EventLog::path() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/vantrel/events.log");
}

bool EventLog::append(const QString& text) {
    QMutexLocker lock(&logMutex());
    startTime();
    QString clean = text;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray line =
        (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")) + clean + '\n').toUtf8();
    const QString base = path();
    if (!QDir().mkpath(QFileInfo(base).absolutePath())) {
        reportFailure(EACCES);
        return false;
    }
    rotateIfFull(base);
    const int fd = ::open(QFile::encodeName(base).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        reportFailure(errno);
        return false;
    }
    ssize_t n;
    do {
        n = ::write(fd, line.constData(), static_cast<size_t>(line.size()));
    } while (n < 0 && errno == EINTR);
    const int err = n < 0 ? errno : ENOSPC;
    ::close(fd);
    if (n != line.size()) {
        reportFailure(err);
        return false;
    }
    warned() = false;
    return true;
}

void EventLog::setWarningHandler(WarningHandler handler, TextLanguage language) {
    QMutexLocker lock(&logMutex());
    warningHandler() = std::move(handler);
    warningLanguage() = language;
}

QList<EventLog::Entry> EventLog::read(int maxEntries) {
    QList<Entry> out;
    const QString base = path();
    for (int i = 0; i < kFilesKept; ++i) {
        // Only ordinary files: a log name pointing at a pipe or a device would block or never end. A log
        // is rotated at 1 MB; more than a few times that is not one of ours, and only its start is read.
        const QString name = rotatedName(base, i);
        if (!QFileInfo(name).isFile())
            continue;
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = file.read(4 * kRotateSize).split('\n');
        for (qsizetype k = lines.size() - 1; k >= 0; --k) {
            const QString line = QString::fromUtf8(lines[k]);
            if (line.isEmpty())
                continue;
            Entry e;
            e.file = i;
            e.time = QDateTime::fromString(line.left(23), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
            e.text = e.time.isValid() ? line.mid(24) : line;
            out.append(e);
            if (maxEntries > 0 && out.size() >= maxEntries)
                return out;
        }
    }
    return out;
}

QDateTime EventLog::runStart() {
    return startTime();
}

} // namespace vantrel
