#include "cli/Console.h"

#include <cstdio>
#include <unistd.h>

namespace vantrel::cli {

namespace {

bool g_quiet = false;

void put(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
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

Progress::Progress(bool forced) : terminal_(::isatty(STDERR_FILENO) == 1) {
    enabled_ = !g_quiet && (forced || terminal_);
}

Progress::~Progress() {
    finish();
}

void Progress::finish() {
    if (open_)
        put(stderr, QStringLiteral("\n"));
    open_ = false;
}

void Progress::show(const QString& line) {
    if (!enabled_)
        return;
    if (terminal_) {
        // Clear to the end of the line: the stage names differ in length.
        put(stderr, QStringLiteral("\r") + line + QStringLiteral("\x1b[K"));
        open_ = true;
    } else {
        put(stderr, line + QLatin1Char('\n'));
    }
}

} // namespace vantrel::cli
