// The command-line tool's language and exit statuses, and the error that ends a command with both: its
// one line on standard error and the status a script tests.
#pragma once

#include "common/Errors.h"

#include <QString>
#include <stdexcept>

namespace vantrel::cli {

enum class Language { Hungarian, English };

// LC_ALL, then LC_MESSAGES, then LANG: the first that is set decides; "hu..." is Hungarian, anything else
// (and nothing set) English.
Language languageFromEnvironment();
Language language();
void setLanguage(Language language);

// The text in the language of the run.
QString say(const char* hungarian, const char* english);
// The language of the run for the shared libraries' texts.
TextLanguage textLanguage();

enum ExitStatus : int {
    Done = 0,
    DifferencesFound = 1,
    UsageError = 2, // usage error or a value refused
    NoAnswer = 3,   // the module did not answer
    PortFailed = 4, // the port could not be opened, or the link was lost
    FileFailed = 5, // a file could not be read or written
};

// Ends a command: the text is the line the user reads (without the program name), status the exit status.
class CliError : public std::runtime_error {
public:
    CliError(ExitStatus status, const QString& text);
    ExitStatus status() const { return status_; }
    QString text() const { return QString::fromUtf8(what()); }

private:
    ExitStatus status_;
};

} // namespace vantrel::cli
