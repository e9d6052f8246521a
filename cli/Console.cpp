#include "cli/Console.h"

#include "cli/CliText.h"
#include "cli/Interrupt.h"
#include "common/Errors.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace vantrel::cli {

namespace {

bool g_quiet = false;
// A progress line rewritten in place on the terminal that no line break has ended yet.
bool g_progressOpen = false;

[[noreturn]] void outputFailed(int err) {
    throw CliError(
        FileFailed,
        say("a szabványos kimenet nem írható: %1", "cannot write standard output: %1").arg(systemErrorText(err, textLanguage())));
}

void write(std::FILE* stream, const QByteArray& bytes) {
    errno = 0;
    const size_t written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    const bool flushed = std::fflush(stream) == 0;
    // What the command produces must arrive whole: a full disk or a closed pipe is the command's failure.
    // Standard error has no one left to tell.
    if (stream == stdout && (written != static_cast<size_t>(bytes.size()) || !flushed)) {
        const int err = errno != 0 ? errno : EIO;
        std::clearerr(stream);
        // A closed pipe while the command watches for signals is its SIGPIPE: the command stops on it and
        // says so with its own status.
        if (err == EPIPE && interrupted())
            return;
        outputFailed(err);
    }
}

// Whatever is printed while a progress line stands on the terminal starts on a line of its own, and the
// progress line ends only once, so neither glues to the other nor leaves an empty line.
void endProgressLine() {
    if (!g_progressOpen)
        return;
    g_progressOpen = false;
    write(stderr, QByteArrayLiteral("\n"));
}

void put(std::FILE* stream, const QString& text) {
    endProgressLine();
    write(stream, text.toUtf8());
}

// A terminal that knows no escape sequences (TERM=dumb, or no TERM at all, as in an editor's shell buffer).
bool dumbTerminal() {
    const QByteArray term = qgetenv("TERM");
    return term.isEmpty() || term == "dumb";
}

} // namespace

void guardStandardOutput() {
    // A closed pipe must be an error that is reported, not a signal that ends the program unheard.
    ::signal(SIGPIPE, SIG_IGN);
}

void finishStandardOutput() {
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        const int err = errno != 0 ? errno : EIO;
        std::clearerr(stdout);
        outputFailed(err);
    }
}

void setQuiet(bool quiet) {
    g_quiet = quiet;
}

bool quiet() {
    return g_quiet;
}

void printOut(const QString& text) {
    if (!g_quiet)
        put(stdout, text);
}

void printResult(const QString& text) {
    put(stdout, text);
}

void printError(const QString& text) {
    put(stderr, QStringLiteral("vantrel5-cli: ") + text + QLatin1Char('\n'));
}

Progress::Progress(bool forced) : terminal_(::isatty(STDERR_FILENO) == 1), dumb_(dumbTerminal()) {
    enabled_ = !g_quiet && (forced || terminal_);
}

Progress::~Progress() {
    finish();
}

void Progress::finish() {
    endProgressLine();
    shownLength_ = 0;
}

void Progress::show(const QString& line) {
    if (!enabled_)
        return;
    if (!terminal_) {
        put(stderr, line + QLatin1Char('\n'));
        return;
    }
    // The stage names differ in length: what is left of a longer line is cleared, by the escape sequence
    // where the terminal knows it and by blanks where it does not.
    QString text = QStringLiteral("\r") + line;
    if (!g_progressOpen)
        shownLength_ = 0;
    if (dumb_)
        text += QString(std::max<qsizetype>(0, shownLength_ - line.size()), QLatin1Char(' '));
    else
        text += QStringLiteral("\x1b[K");
    write(stderr, text.toUtf8());
    shownLength_ = line.size();
    g_progressOpen = true;
}

} // namespace vantrel::cli
