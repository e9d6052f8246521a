// The event log file: appending with one write per line, rotation and reading back.
#include "monitor/EventLog.h"

#include "common/FileIO.h"
#include "common/posix/Descriptor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

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

// Opens a log file for reading or appending without waiting (a pipe of that name) and without following a
// link (placed there to make the tool, perhaps root, append to another file). -1 and errno on failure.
int openLogFile(const QByteArray& name, int flags) {
    return ::open(name.constData(), flags | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
}

// Renames events.log -> events.log.1 -> ... keeping kFilesKept files. An flock on the current file makes
// two processes that both see it full rotate it only once.
void rotateIfFull(const QString& base) {
    const QByteArray name = QFile::encodeName(base);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < EventLog::kRotateSize)
        return;
    const int fd = openLogFile(name, O_RDONLY);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX) == 0) {
        struct stat again {};
        // Another process may have rotated while we waited: only a file that is still full goes.
        if (::lstat(name.constData(), &again) == 0 && again.st_ino == st.st_ino &&
            again.st_size >= EventLog::kRotateSize) {
            for (int i = EventLog::kFilesKept - 1; i >= 1; --i)
                ::rename(QFile::encodeName(rotatedName(base, i - 1)).constData(),
                         QFile::encodeName(rotatedName(base, i)).constData());
        }
        ::flock(fd, LOCK_UN);
    }
    ::close(fd);
}

void reportFailure(const QString& reason) {
    if (warned())
        return;
    warned() = true;
    if (!warningHandler())
        return;
    const TextLanguage language = warningLanguage();
    warningHandler()((language == TextLanguage::Hungarian
                          ? QStringLiteral("Figyelmeztetés: az eseménynapló nem írható (%1).")
                          : QStringLiteral("Warning: the event log cannot be written (%1)."))
                         .arg(reason));
}

void reportFailure(int err) {
    reportFailure(systemErrorText(err, warningLanguage()));
}

// The reason in the language of the warnings.
QString said(const char* hungarian, const char* english, const QString& path) {
    return (warningLanguage() == TextLanguage::Hungarian ? QString::fromUtf8(hungarian) : QString::fromUtf8(english))
        .arg(path);
}

// Appends one line to the log file base with one write, whole or not at all. False on failure (warned).
bool appendLine(const QString& base, const QByteArray& line) {
    if (const int err = makeFolders(QFileInfo(base).absolutePath(), true)) {
        reportFailure(err);
        return false;
    }
    rotateIfFull(base);
    const QByteArray name = QFile::encodeName(base);
    Descriptor fd(openLogFile(name, O_WRONLY | O_CREAT | O_APPEND));
    if (fd.get() < 0) {
        // ELOOP: a symbolic link in the log's place; ENXIO: a pipe nobody reads.
        if (errno == ELOOP)
            reportFailure(said("%1 egy hivatkozás, nem fájl", "%1 is a link, not a file", base));
        else
            reportFailure(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        reportFailure(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        reportFailure(said("%1 nem közönséges fájl", "%1 is not an ordinary file", base));
        return false;
    }
    if (st.st_uid == 0 && ::geteuid() == 0)
        handOverToHomeOwner(fd.get(), base);
    else if (st.st_uid != ::geteuid() && ::geteuid() != 0) {
        reportFailure(said("%1 egy másik felhasználóé", "%1 belongs to another user", base));
        return false;
    }
    // Other writers of the log wait, so that a line cut short can be taken back before theirs follows.
    ::flock(fd.get(), LOCK_EX);
    const off_t before = ::lseek(fd.get(), 0, SEEK_END);
    qsizetype done = 0;
    int err = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd.get(), line.constData() + done, static_cast<size_t>(line.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            err = n < 0 ? errno : ENOSPC;
            break;
        }
        done += n;
    }
    if (done != line.size()) {
        // A full disk took part of the line: without it the next entry would be glued to its remains.
        if (done > 0 && before >= 0 && ::ftruncate(fd.get(), before) != 0) {
            // Nothing more to do: the warning below says the log could not be written.
        }
        reportFailure(err);
        return false;
    }
    return true;
}

QString stampedLine(const QString& text) {
    QString clean = text;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")) + clean + '\n';
}

// The entries of one log and its rotations, newest first.
QList<EventLog::Entry> readLog(const QString& base, int maxEntries) {
    QList<EventLog::Entry> out;
    for (int i = 0; i < EventLog::kFilesKept; ++i) {
        // Only ordinary files: a log name pointing at a pipe or a device would block or never end. A log
        // is rotated at 1 MB; more than a few times that is not one of ours, and only its start is read.
        const QString name = rotatedName(base, i);
        const FileContent content = readFileStart(name, 4 * EventLog::kRotateSize);
        if (content.error)
            continue;
        const QList<QByteArray> lines = content.bytes.split('\n');
        for (qsizetype k = lines.size() - 1; k >= 0; --k) {
            const QString line = QString::fromUtf8(lines[k]);
            if (line.isEmpty())
                continue;
            EventLog::Entry e;
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

} // namespace

QString EventLog::path() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/vantrel/events.log");
}

QString EventLog::moduleMessagesPath() {
    return QFileInfo(path()).absolutePath() + QStringLiteral("/messages.log");
}

bool EventLog::append(const QString& text) {
    QMutexLocker lock(&logMutex());
    startTime();
    if (!appendLine(path(), stampedLine(text).toUtf8()))
        return false;
    warned() = false;
    return true;
}

bool EventLog::appendModuleMessage(const QString& line) {
    QMutexLocker lock(&logMutex());
    startTime();
    if (!appendLine(moduleMessagesPath(), stampedLine(QStringLiteral("Modul üzenete: ") + line).toUtf8()))
        return false;
    warned() = false;
    return true;
}

void EventLog::setWarningHandler(WarningHandler handler, TextLanguage language) {
    QMutexLocker lock(&logMutex());
    warningHandler() = std::move(handler);
    warningLanguage() = language;
}

QList<EventLog::Entry> EventLog::read(int maxEntries) {
    // The tool's events and the module's messages, merged newest first.
    const QList<Entry> events = readLog(path(), maxEntries);
    const QList<Entry> messages = readLog(moduleMessagesPath(), maxEntries);
    QList<Entry> out;
    qsizetype e = 0;
    qsizetype m = 0;
    while ((e < events.size() || m < messages.size()) && (maxEntries <= 0 || out.size() < maxEntries)) {
        const bool takeEvent = m >= messages.size() || (e < events.size() && !(events[e].time < messages[m].time));
        out.append(takeEvent ? events[e++] : messages[m++]);
    }
    return out;
}

QDateTime EventLog::runStart() {
    return startTime();
}

} // namespace vantrel
