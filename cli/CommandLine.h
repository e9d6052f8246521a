// The command line of vantrel5-cli: the commands, the options each of them takes, and the checks that turn
// a mistyped line into one usage error (exit status 2) before anything touches a port or a file.
#pragma once

#include <QString>
#include <QStringList>

namespace vantrel::cli {

struct Invocation {
    QString command;                         // empty when only --help, --version or --list-fields was asked for
    QStringList operands;                    // the command's files and assignments, in order
    QString port;                            // --port
    QString output;                          // -o
    QString base;                            // --base
    QString format = QStringLiteral("json"); // --format: json or csv
    bool json = false;
    bool watch = false;
    bool probe = false;
    bool noBackup = false;
    bool noVerify = false;
    bool quiet = false;    // -q: nothing but errors
    bool progress = false; // progress also when standard error is no terminal
    bool help = false;
    bool version = false;
    bool listFields = false; // the field names, one a line (also for the shell completion)
};

// The arguments after the program name. CliError (UsageError) for an unknown command or option, a missing
// or surplus argument, a missing option value or a --format other than json and csv.
Invocation parseCommandLine(const QStringList& arguments);

// The commands, in the order of the help text.
QStringList commandNames();
// The options a command takes (the shared ones included), for the help text and the shell completion.
QStringList optionsOf(const QString& command);

// The --help text (the usage of every command), in the language of the run.
QString helpText();

} // namespace vantrel::cli
