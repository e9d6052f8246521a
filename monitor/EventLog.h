// The event log: one timestamped UTF-8 line per event in $XDG_STATE_HOME/vantrel/events.log (default
// ~/.local/state/vantrel/events.log; on Windows %LOCALAPPDATA%\Vantrel\events.log), rotated at 1 MB with 5 files kept;
// the module's messages beside it. Qt Core only, so the windows and the command-line tool share it. Writing never
// throws: a failure is reported once through the warning handler, and the tool goes on.
#pragma once

#include "common/Errors.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace vantrel {

class EventLog {
public:
    struct Entry {
        QDateTime time; // local time of the event (invalid when the line had no readable stamp)
        QString text;
        int file = 0; // 0: the current log; 1..4: the rotated ones, older as the number grows
    };

    static constexpr qint64 kRotateSize = 1024 * 1024;
    static constexpr int kFilesKept = 5;

    // The log file: events.log in the tool's state folder (UserFolders.h).
    static QString path();

    // Appends "yyyy-MM-dd HH:mm:ss.zzz <text>" (line breaks in text become blanks) in append mode under a
    // lock, so two processes appending at once do not mix their lines; a line is written whole or not at
    // all. Only an ordinary file of the user is written: a link, a pipe or a device in the log's place is
    // refused without waiting. False on failure.
    static bool append(const QString& text);

    // One line of the module's own text messages. They go to a log of their own beside this one
    // (messages.log, rotated the same way), so that a talkative module never pushes the tool's events
    // out; read() shows both.
    static bool appendModuleMessage(const QString& line);
    static QString moduleMessagesPath();

    // Called with a text in the language given (a whole sentence, "Figyelmeztetés: ..." / "Warning: ...")
    // the first time a write fails (again only after a write succeeded).
    using WarningHandler = std::function<void(const QString& warning)>;
    static void setWarningHandler(WarningHandler handler, TextLanguage language = TextLanguage::Hungarian);

    // Entries of the current and the rotated files of both logs, newest first; at most maxEntries (0: all).
    static QList<Entry> read(int maxEntries = 0);

    // When the current process started, to tell the entries of this run from the older ones.
    static QDateTime runStart();
};

} // namespace vantrel
