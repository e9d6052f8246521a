// The event log: its lines, their warnings and reading them back; the file itself is the platform's
// (EventLogFile).
#include "monitor/EventLog.h"

#include "common/FileIO.h"
#include "common/UserFolders.h"
#include "monitor/EventLogFile.h"

#include <QFileInfo>
#include <QMutex>

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

// Appends one line to the log file base, whole or not at all. False on failure (warned).
bool appendLine(const QString& base, const QByteArray& line) {
    using Kind = eventlogfile::Refusal::Kind;
    const std::optional<eventlogfile::Refusal> refused =
        eventlogfile::append(base, line, EventLog::kRotateSize, EventLog::kFilesKept);
    if (!refused)
        return true;
    switch (refused->kind) {
    case Kind::System:
        reportFailure(refused->err);
        break;
    case Kind::Link:
        reportFailure(said("%1 egy hivatkozás, nem fájl", "%1 is a link, not a file", base));
        break;
    case Kind::NotOrdinaryFile:
        reportFailure(said("%1 nem közönséges fájl", "%1 is not an ordinary file", base));
        break;
    case Kind::OtherUsersFile:
        reportFailure(said("%1 egy másik felhasználóé", "%1 belongs to another user", base));
        break;
    }
    return false;
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
        const QString name = eventlogfile::rotatedName(base, i);
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

QString eventlogfile::rotatedName(const QString& base, int n) {
    return n == 0 ? base : base + QLatin1Char('.') + QString::number(n);
}

QString EventLog::path() {
    return stateFolder() + QStringLiteral("/events.log");
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
