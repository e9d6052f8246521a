// Appending to a log file on Windows: FILE_APPEND_DATA on the file itself (never through a link), a byte
// range lock between writers, rotation by renaming under that lock.
#include "monitor/EventLogFile.h"

#include "common/FileIO.h"

#include <QDir>
#include <QFileInfo>
#include <string>
#include <utility>

#include <windows.h>

namespace vantrel::eventlogfile {

namespace {

class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    void close() {
        if (valid())
            CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE));
    }

private:
    HANDLE handle_;
};

std::wstring native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

Refusal systemRefusal(DWORD err) {
    return Refusal{Refusal::Kind::System, static_cast<int>(err)};
}

// Every open shares reading, writing and deleting: a reader never stops a writer, and a writer that finds
// the file full can rename it while others have it open.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The writers' lock: one byte far beyond any log's end, so that it keeps writers apart without stopping a
// reader (a locked range cannot be read through other handles). Held until unlocked or closed.
OVERLAPPED lockPlace() {
    OVERLAPPED at{};
    at.OffsetHigh = 0x40000000;
    return at;
}

bool lockWriters(HANDLE file) {
    OVERLAPPED at = lockPlace();
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at) != 0;
}

void unlockWriters(HANDLE file) {
    OVERLAPPED at = lockPlace();
    UnlockFileEx(file, 0, 1, 0, &at);
}

// Whether the name base still leads to the file that handle has open (not renamed away by a rotation).
bool stillNamed(const QString& base, const BY_HANDLE_FILE_INFORMATION& opened) {
    Handle again(CreateFileW(native(base).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    return again.valid() && GetFileInformationByHandle(again.get(), &info) &&
           info.dwVolumeSerialNumber == opened.dwVolumeSerialNumber && info.nFileIndexHigh == opened.nFileIndexHigh &&
           info.nFileIndexLow == opened.nFileIndexLow;
}

// Takes a line cut short by a full disk back, so the next entry does not glue to its remains. Append
// access cannot shorten a file: a second handle does it.
void cutBack(const QString& base, LARGE_INTEGER size) {
    Handle file(CreateFileW(native(base).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.valid() && SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN))
        SetEndOfFile(file.get());
}

} // namespace

std::optional<Refusal> append(const QString& base, const QByteArray& line, qint64 rotateSize, int filesKept) {
    if (const int err = makeFolders(QFileInfo(base).absolutePath(), true))
        return systemRefusal(static_cast<DWORD>(err));
    // A rotation by another process may move the file away while we wait for its lock: then once more.
    for (int attempt = 0; attempt < 8; ++attempt) {
        // Opened as what stands there, never through a link (which could lead to another file), and for
        // appending only: every write lands at the end, whoever else writes.
        // (Reading rights only because the lock asks for them.)
        Handle file(CreateFileW(native(base).c_str(),
                                FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!file.valid()) {
            const DWORD err = GetLastError();
            // A folder in the log's place cannot be opened as a file.
            const DWORD attributes = GetFileAttributesW(native(base).c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                return Refusal{Refusal::Kind::NotOrdinaryFile};
            return systemRefusal(err);
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(file.get(), &info))
            return systemRefusal(GetLastError());
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
            return Refusal{Refusal::Kind::Link};
        if (GetFileType(file.get()) != FILE_TYPE_DISK ||
            (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
            return Refusal{Refusal::Kind::NotOrdinaryFile};
        if (!lockWriters(file.get()))
            return systemRefusal(GetLastError());
        if (!stillNamed(base, info)) {
            unlockWriters(file.get());
            continue;
        }
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.get(), &size)) {
            const DWORD err = GetLastError();
            unlockWriters(file.get());
            return systemRefusal(err);
        }
        if (size.QuadPart >= rotateSize) {
            // Still under the lock, so two writers that both found it full rotate it once.
            for (int i = filesKept - 1; i >= 1; --i)
                MoveFileExW(native(rotatedName(base, i - 1)).c_str(), native(rotatedName(base, i)).c_str(),
                            MOVEFILE_REPLACE_EXISTING);
            unlockWriters(file.get());
            continue;
        }
        DWORD written = 0;
        const BOOL ok = WriteFile(file.get(), line.constData(), static_cast<DWORD>(line.size()), &written, nullptr);
        const DWORD err = ok ? (written == DWORD(line.size()) ? 0 : ERROR_DISK_FULL) : GetLastError();
        if (err != 0 && written > 0)
            cutBack(base, size);
        unlockWriters(file.get());
        if (err != 0)
            return systemRefusal(err);
        return std::nullopt;
    }
    return systemRefusal(ERROR_SHARING_VIOLATION);
}

} // namespace vantrel::eventlogfile
