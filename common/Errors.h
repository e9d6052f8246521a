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

// Why a serial device could not be opened, from the errno of the failed open. holder names the program
// that holds the device ("name (PID n)", empty: unknown); group is the group owning the device.
QString portOpenReasonText(int systemError, const QString& holder, const QString& group, TextLanguage language);

// The text of any exception for the user: our own errors carry it; others give what().
QString userText(const std::exception& error);

} // namespace vantrel
