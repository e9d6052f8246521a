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

    // The error for an errno value from a failed file call: the causes of the table get their text,
    // anything else reads "I/O error <errno>".
    static EInOutError fromErrno(int err);
    // The same for a call on path: a missing folder on the way reads as a bad name, not a missing file.
    static EInOutError fromErrno(int err, const QString& path);

private:
    EInOutError(int code, const QString& text);
    int code_;
};

enum class TextLanguage { Hungarian, English };

// The text of an EInOutError code in the language asked for: the table's own texts in English (the
// windows show those), their Hungarian for the command-line tool under a Hungarian locale.
QString inOutErrorText(int code, TextLanguage language);
class EInOutError;
// The same for an error as raised: a text of its own (not the table's) stays as it is.
QString inOutErrorText(const EInOutError& error, TextLanguage language);
// The system's text for an errno value ("No space left on device"); in Hungarian for the common causes,
// whatever the C library's own language.
QString systemErrorText(int systemError, TextLanguage language);

// Why a serial device could not be opened, from the errno of the failed open. holder names the program
// that holds the device ("name (PID n)", empty: unknown); group is the group owning the device.
QString portOpenReasonText(int systemError, const QString& holder, const QString& group, TextLanguage language);

// A serial device refused as busy that no process holds: the exclusive mark of a program that was killed
// while it held the port (a pseudo-terminal keeps it for as long as its other end is open), and how to clear it.
QString staleExclusiveText(TextLanguage language);

// The text of any exception for the user: our own errors carry it; others give what().
QString userText(const std::exception& error);

} // namespace vantrel
