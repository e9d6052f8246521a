// What the tool prints: results on standard output, progress and errors on standard error. Progress shows
// only on a terminal (or with --progress) and -q silences everything but errors.
#pragma once

#include <QString>

namespace vantrel::cli {

// Makes a closed pipe on standard output a failed write (EPIPE) instead of a silent end.
void guardStandardOutput();
// The last flush of standard output; CliError FileFailed when it or an earlier write failed.
void finishStandardOutput();

void setQuiet(bool quiet);
bool quiet();

// Text on standard output (UTF-8), unless quiet; printResult also when quiet, for what the command was
// asked to produce (an export, a JSON answer). Every write is checked: CliError FileFailed when standard
// output cannot take it (a full disk, a closed pipe).
void printOut(const QString& text);
void printResult(const QString& text);
// One line on standard error, always: the program name, the text.
void printError(const QString& text);

// Progress ("Read: 7/15 pages...") on standard error: on a terminal one line rewritten in place (without
// escape sequences for TERM=dumb), on a pipe (with --progress) one line a page; nothing when quiet or
// disabled. Anything printed meanwhile starts on a line of its own.
class Progress {
public:
    explicit Progress(bool forced);
    ~Progress(); // ends a line rewritten in place
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // The engine's progress line ("Read: 7/15 pages...").
    void show(const QString& line);
    // Ends a line rewritten in place, so that what follows starts on its own line.
    void finish();
    bool enabled() const { return enabled_; }

private:
    bool enabled_;
    bool terminal_;
    bool dumb_;                 // no escape sequences
    qsizetype shownLength_ = 0; // of the line on the terminal, to blank out what a shorter one leaves
};

} // namespace vantrel::cli
