// Standard streams on Windows: the handles themselves, characters to a console (WriteConsoleW, so that
// Hungarian letters show whatever the console's code page), UTF-8 bytes to a file or pipe.
#include "cli/Terminal.h"

#include <QString>
#include <algorithm>

#include <windows.h>

namespace vantrel::cli::terminal {

namespace {

HANDLE handleOf(Stream stream) {
    return GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

int writeConsole(HANDLE handle, const QByteArray& utf8) {
    const std::wstring text = QString::fromUtf8(utf8).toStdWString();
    size_t done = 0;
    while (done < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 8192));
        DWORD written = 0;
        if (!WriteConsoleW(handle, text.data() + done, chunk, &written, nullptr))
            return static_cast<int>(GetLastError());
        if (written == 0)
            return ERROR_WRITE_FAULT;
        done += written;
    }
    return 0;
}

int writeFile(HANDLE handle, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<qsizetype>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.constData() + done, chunk, &written, nullptr))
            return static_cast<int>(GetLastError());
        if (written == 0)
            return ERROR_WRITE_FAULT;
        done += written;
    }
    return 0;
}

} // namespace

void prepare() {}

int write(Stream stream, const QByteArray& utf8) {
    const HANDLE handle = handleOf(stream);
    // No standard stream at all (a program started without a console): nothing to tell anyone.
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return stream == Stream::Out ? ERROR_INVALID_HANDLE : 0;
    return isConsole(handle) ? writeConsole(handle, utf8) : writeFile(handle, utf8);
}

int finish() {
    // Nothing is buffered: every write went to the handle at once.
    return 0;
}

bool closedPipe(int err) {
    return err == ERROR_NO_DATA || err == ERROR_BROKEN_PIPE;
}

bool isTerminal(Stream stream) {
    return isConsole(handleOf(stream));
}

bool knowsEscapes(Stream stream) {
    const HANDLE handle = handleOf(stream);
    DWORD mode = 0;
    if (!GetConsoleMode(handle, &mode))
        return false;
    if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0)
        return true;
    // Consoles before Windows 10 refuse the mode and print escape sequences as they are: blanks then.
    return SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

} // namespace vantrel::cli::terminal
