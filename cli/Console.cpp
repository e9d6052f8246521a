#include "cli/Console.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace vantrel::cli {

namespace {

bool g_quiet = false;
// A progress line rewritten in place on the terminal that no line break has ended yet.
bool g_progressOpen = false;

void write(std::FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
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
