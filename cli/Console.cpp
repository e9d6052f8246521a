#include "cli/Console.h"

#include "cli/CliText.h"
#include "cli/Interrupt.h"
#include "cli/Terminal.h"
#include "common/Errors.h"

#include <algorithm>

namespace vantrel::cli {

namespace {

bool g_quiet = false;
// A progress line rewritten in place on the terminal that no line break has ended yet.
bool g_progressOpen = false;

[[noreturn]] void outputFailed(int err) {
    throw CliError(FileFailed, say("a szabványos kimenet nem írható: %1", "cannot write standard output: %1")
                                   .arg(systemErrorText(err, textLanguage())));
}

using terminal::Stream;

void send(Stream stream, const QByteArray& bytes) {
    const int err = terminal::write(stream, bytes);
    // What the command produces must arrive whole: a full disk or a closed pipe is the command's failure.
    // Standard error has no one left to tell.
    if (stream == Stream::Out && err != 0) {
        // A closed pipe while the command watches for signals is its SIGPIPE: the command stops on it and
        // says so with its own status.
        if (terminal::closedPipe(err) && interrupted())
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
    send(Stream::Err, QByteArrayLiteral("\n"));
}

void put(Stream stream, const QString& text) {
    endProgressLine();
    send(stream, text.toUtf8());
}

} // namespace

void guardStandardOutput() {
    terminal::prepare();
}

void finishStandardOutput() {
    if (const int err = terminal::finish())
        outputFailed(err);
}

void setQuiet(bool quiet) {
    g_quiet = quiet;
}

bool quiet() {
    return g_quiet;
}

void printOut(const QString& text) {
    if (!g_quiet)
        put(Stream::Out, text);
}

void printResult(const QString& text) {
    put(Stream::Out, text);
}

void printError(const QString& text) {
    put(Stream::Err, QStringLiteral("vantrel5-cli: ") + text + QLatin1Char('\n'));
}

Progress::Progress(bool forced)
    : terminal_(terminal::isTerminal(Stream::Err)), dumb_(terminal_ && !terminal::knowsEscapes(Stream::Err)) {
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
        put(Stream::Err, line + QLatin1Char('\n'));
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
    send(Stream::Err, text.toUtf8());
    shownLength_ = line.size();
    g_progressOpen = true;
}

} // namespace vantrel::cli
