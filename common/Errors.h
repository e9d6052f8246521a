// Errors that end a user action and reach the general error handler, which shows their text.
// This is the one place that turns a system error number into the text the user reads.
#pragma once

#include <QString>
#include <stdexcept>

namespace vantrel {

// Base of every error the tool shows; message() is the text of the message box (before the full stop
// that the handler adds).
class VantrelError : public std::runtime_error {
public:
    explicit VantrelError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

// Input/output error of a file operation, with the code of the table of I/O texts.
class EInOutError : public VantrelError {
public:
    enum : int {
        FileNotFound = 2,
        InvalidFilename = 3,
        TooManyOpenFiles = 4,
        AccessDenied = 5,
        ReadBeyondEnd = 100,
        DiskFull = 101,
    };
    // An error of the table above (or any other code, shown as "I/O error <code>").
    explicit EInOutError(int code);
    int code() const { return code_; }

    // The error for the system error number of a failed file call (errno on Linux, GetLastError() on
    // Windows): the causes of the table get their text, anything else reads "I/O error <number>".
    static EInOutError fromErrno(int err);
    // The same for a call on path: a missing folder on the way reads as a bad name, not a missing file,
    // and a name the system keeps for a device says so.
    static EInOutError fromErrno(int err, const QString& path);

    // Its own Hungarian text, for an error whose text is not the table's; empty otherwise.
    QString hungarian() const { return hungarian_; }

private:
    EInOutError(int code, const QString& text, const QString& hungarian = {});
    int code_;
    QString hungarian_;
};

enum class TextLanguage { Hungarian, English };

// The text of an EInOutError code in the language asked for: the table's own texts in English (the
// windows show those), their Hungarian for the command-line tool under a Hungarian locale.
QString inOutErrorText(int code, TextLanguage language);
class EInOutError;
// The same for an error as raised: a text of its own (not the table's) stays as it is.
QString inOutErrorText(const EInOutError& error, TextLanguage language);
// The system's text for a system error number ("No space left on device"); in Hungarian for the common
// causes, whatever the system's own language.
QString systemErrorText(int systemError, TextLanguage language);

// Why a serial device could not be opened, from the system error number of the failed open. holder names the program
// that holds the device ("name (PID n)", empty: unknown); group is the group owning the device.
QString portOpenReasonText(int systemError, const QString& holder, const QString& group, TextLanguage language);

// A serial device refused as busy that no process holds: the exclusive mark of a program that was killed
// while it held the port (a pseudo-terminal keeps it for as long as its other end is open), and how to clear it.
QString staleExclusiveText(TextLanguage language);

// The system error number of an input/output failure whose cause the system did not give (EIO on Linux),
// for the reasons above.
int ioFailureError();

// The text of any exception for the user: our own errors carry it; others give what().
QString userText(const std::exception& error);

} // namespace vantrel
