// Standard streams on Linux: stdio with errno, isatty and TERM.
#include "cli/Terminal.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace vantrel::cli::terminal {

namespace {

std::FILE* fileOf(Stream stream) {
    return stream == Stream::Out ? stdout : stderr;
}

} // namespace

void prepare() {
    ::signal(SIGPIPE, SIG_IGN);
}

int write(Stream stream, const QByteArray& utf8) {
    std::FILE* file = fileOf(stream);
    errno = 0;
    const size_t written = std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), file);
    const bool flushed = std::fflush(file) == 0;
    if (written == static_cast<size_t>(utf8.size()) && flushed)
        return 0;
    const int err = errno != 0 ? errno : EIO;
    std::clearerr(file);
    return err;
}

int finish() {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    const int err = errno != 0 ? errno : EIO;
    std::clearerr(stdout);
    return err;
}

bool closedPipe(int err) {
    return err == EPIPE;
}

bool isTerminal(Stream stream) {
    return ::isatty(stream == Stream::Out ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

bool knowsEscapes(Stream) {
    // A terminal that knows no escape sequences: TERM=dumb, or no TERM at all (an editor's shell buffer).
    const QByteArray term = qgetenv("TERM");
    return !term.isEmpty() && term != "dumb";
}

} // namespace vantrel::cli::terminal
