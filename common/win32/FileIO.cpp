// The careful reader and writer on Windows: handles, FlushFileBuffers and MoveFileExW. Numbers are
// GetLastError() codes.
#include "common/FileIO.h"

#include "common/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <string>
#include <utility>

#include <windows.h>

namespace vantrel {

namespace {

// Closes a handle on every way out.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
    void close() {
        if (valid())
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

int lastError() {
    return static_cast<int>(GetLastError());
}

std::wstring native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

// A path in the device namespace (\\.\pipe\x, \\.\COM3) or a device name as its last part reaches a device,
// never a file.
bool namesDevice(const QString& path) {
    const QString separators = QDir::fromNativeSeparators(path);
    return separators.startsWith(QLatin1String("//./")) || separators.startsWith(QLatin1String("//?/")) ||
           isDeviceName(QFileInfo(path).fileName());
}

// The file that is really replaced: the final target of a symbolic link, else the path itself.
QString replacedPath(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymbolicLink()) {
        const QString target = info.canonicalFilePath();
        return target.isEmpty() ? info.symLinkTarget() : target;
    }
    return path;
}

// Opens an existing name for reading or writing without waiting and without reaching a device; the
// handle, or the refusal. Only an ordinary file on a disk is taken: a folder, a pipe, a console or a port is
// refused (ERROR_ACCESS_DENIED, as the system itself refuses a folder).
struct Opened {
    HANDLE handle = INVALID_HANDLE_VALUE;
    int err = 0;
    BY_HANDLE_FILE_INFORMATION info{};
};

Opened openOrdinaryFile(const QString& path, DWORD access) {
    Opened opened;
    if (namesDevice(path)) {
        opened.err = ERROR_INVALID_NAME;
        return opened;
    }
    // Read and write sharing: another program that has the file open for reading does not stop us, and we
    // do not stop it. A folder cannot be opened without FILE_FLAG_BACKUP_SEMANTICS: ACCESS_DENIED.
    HANDLE handle = CreateFileW(native(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        opened.err = lastError();
        return opened;
    }
    Handle guard(handle);
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &opened.info) ||
        (opened.info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        opened.err = ERROR_ACCESS_DENIED;
        return opened;
    }
    opened.handle = guard.release();
    return opened;
}

// The refusal for an existing target, or 0 when it may be replaced (also when it does not exist).
// replacing tells which; attributes are the existing file's.
int refusalFor(const QString& target, bool& replacing, DWORD& attributes) {
    replacing = false;
    attributes = 0;
    if (namesDevice(target))
        return ERROR_INVALID_NAME;
    const DWORD found = GetFileAttributesW(native(target).c_str());
    if (found == INVALID_FILE_ATTRIBUTES) {
        const int err = lastError();
        return err == ERROR_FILE_NOT_FOUND ? 0 : err;
    }
    replacing = true;
    attributes = found;
    // A file marked read-only is the user's word that it stays as it is, though the rename would get past it.
    if ((found & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_READONLY)) != 0)
        return ERROR_ACCESS_DENIED;
    // Opening it for writing (without changing it) asks what the file's permissions say about us.
    Opened probe = openOrdinaryFile(target, GENERIC_WRITE);
    Handle guard(probe.handle);
    return probe.err;
}

int folderRefusal(const QString& folder) {
    const DWORD attributes = GetFileAttributesW(native(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return lastError() == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : lastError();
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : ERROR_DIRECTORY;
}

const QString kTemporaryMark = QStringLiteral(".tmp-");

QString temporaryName(const QString& target) {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString name = target + kTemporaryMark;
    for (int i = 0; i < 6; ++i)
        name += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
    return name;
}

// Makes a new temporary beside target: CREATE_NEW, so an existing file of that name is never opened. A save
// holds its temporary open without delete sharing until it moves it, so another save cannot remove it.
Handle createTemporary(const QString& target, QString& name, int& err) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = temporaryName(target);
        HANDLE handle = CreateFileW(native(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return Handle(handle);
        err = lastError();
        if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS)
            break;
    }
    return Handle(INVALID_HANDLE_VALUE);
}

// Temporaries "<name>.tmp-" and six characters that a killed save left. One that a running save holds
// open cannot be deleted (it shares no deletion), so only the stale ones go.
void removeStaleTemporaries(const QString& target) {
    const QFileInfo info(target);
    const QDir dir = info.absoluteDir();
    const QString prefix = info.fileName() + kTemporaryMark;
    // Listed and matched by hand: the name may hold characters that a wildcard pattern would read.
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name.size() == prefix.size() + 6 && name.startsWith(prefix, Qt::CaseInsensitive))
            DeleteFileW(native(dir.filePath(name)).c_str());
    }
}

bool writeAll(HANDLE handle, const QByteArray& data, int& err) {
    qsizetype done = 0;
    while (done < data.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<qsizetype>(data.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(handle, data.constData() + done, chunk, &written, nullptr)) {
            err = lastError();
            return false;
        }
        if (written == 0) {
            err = ERROR_DISK_FULL;
            return false;
        }
        done += written;
    }
    return true;
}

} // namespace

FileContent readFileStart(const QString& path, qsizetype maxBytes) {
    using Stage = FileError::Stage;
    Opened opened = openOrdinaryFile(path, GENERIC_READ);
    Handle handle(opened.handle);
    if (!handle.valid())
        return {{}, FileError{Stage::Open, opened.err}};
    const qint64 size = (qint64(opened.info.nFileSizeHigh) << 32) | opened.info.nFileSizeLow;
    FileContent content;
    content.bytes.resize(std::min<qsizetype>(maxBytes, std::max<qint64>(size, 0)));
    qsizetype got = 0;
    while (got < maxBytes) {
        if (got == content.bytes.size())
            content.bytes.resize(std::min<qsizetype>(maxBytes, got + 4096)); // the file grew meanwhile
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min<qsizetype>(content.bytes.size() - got, 1 << 20));
        if (!ReadFile(handle.get(), content.bytes.data() + got, want, &n, nullptr))
            return {{}, FileError{Stage::Read, lastError()}};
        if (n == 0)
            break;
        got += n;
    }
    content.bytes.truncate(got);
    return content;
}

EntryKind entryKind(const QString& path) {
    if (QDir::fromNativeSeparators(path).startsWith(QLatin1String("//./pipe/"), Qt::CaseInsensitive))
        return EntryKind::Pipe;
    if (namesDevice(path))
        return EntryKind::Device;
    const DWORD attributes = GetFileAttributesW(native(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return EntryKind::Missing;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return EntryKind::Folder;
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0)
        return EntryKind::Device;
    return EntryKind::File;
}

bool nameTaken(const FileError& error) {
    return error.stage == FileError::Stage::Replace &&
           (error.err == ERROR_FILE_EXISTS || error.err == ERROR_ALREADY_EXISTS);
}

int checkWritableTarget(const QString& path) {
    const QString target = replacedPath(path);
    bool replacing = false;
    DWORD attributes = 0;
    if (const int refused = refusalFor(target, replacing, attributes))
        return refused;
    const QString folder = QFileInfo(target).absolutePath();
    if (const int refused = folderRefusal(folder))
        return refused;
    // Whether the folder takes a new file is known only by making one: a temporary that goes when closed.
    QString name;
    int err = 0;
    Handle probe = createTemporary(target, name, err);
    if (!probe.valid())
        return err;
    probe.close();
    DeleteFileW(native(name).c_str());
    return 0;
}

int makeFolders(const QString& folder, bool) {
    // Folders under the user's profile are the user's alone already; privateness needs nothing more here.
    const QString absolute = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const DWORD attributes = GetFileAttributesW(native(absolute).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : ERROR_DIRECTORY;
    const QString parent = QFileInfo(absolute).path();
    if (parent != absolute) {
        if (const int err = makeFolders(parent, false))
            return err;
    }
    if (CreateDirectoryW(native(absolute).c_str(), nullptr))
        return 0;
    const int err = lastError();
    if (err != ERROR_ALREADY_EXISTS)
        return err;
    // Made by someone else meanwhile: fine if it is a folder.
    const DWORD again = GetFileAttributesW(native(absolute).c_str());
    return again != INVALID_FILE_ATTRIBUTES && (again & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : ERROR_DIRECTORY;
}

void handOverToHomeOwner(const QString&) {
    // Every file under a user's profile is that user's: there is no administrator writing in another home.
}

std::optional<FileError> writeFileAtomically(const QString& path, const QByteArray& data, ExistingFile existingFile) {
    using Stage = FileError::Stage;
    const bool keep = existingFile == ExistingFile::Keep;
    const QString target = replacedPath(path);

    bool replacing = false;
    DWORD attributes = 0;
    const int refused = refusalFor(target, replacing, attributes);
    if (replacing && keep)
        return FileError{Stage::Replace, ERROR_FILE_EXISTS};
    if (refused)
        return FileError{Stage::Create, refused};
    if (const int folderRefused = folderRefusal(QFileInfo(target).absolutePath()))
        return FileError{Stage::Create, folderRefused};

    removeStaleTemporaries(target);
    QString temporary;
    int err = 0;
    Handle handle = createTemporary(target, temporary, err);
    if (!handle.valid())
        return FileError{Stage::Create, err};
    auto fail = [&](Stage stage, int failure) {
        handle.close();
        DeleteFileW(native(temporary).c_str());
        return FileError{stage, failure};
    };
    if (!writeAll(handle.get(), data, err))
        return fail(Stage::Write, err);
    // The data must be on disk before the name moves over, or a crash could leave an empty file behind.
    if (!FlushFileBuffers(handle.get()))
        return fail(Stage::Write, lastError());
    // The rename takes a file nobody holds open without delete sharing: our own handle goes first.
    handle.close();
    // What the user set on the file (hidden, not indexed) stays; read-only files never get here.
    constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_ARCHIVE;
    if (replacing && (attributes & kept) != 0)
        SetFileAttributesW(native(temporary).c_str(), attributes & kept);
    // Without MOVEFILE_REPLACE_EXISTING the move refuses a taken name, at once and for every process: the
    // exclusive creation of the name that backups rely on. Write-through: the new name is on disk on return.
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (keep ? 0 : MOVEFILE_REPLACE_EXISTING);
    if (!MoveFileExW(native(temporary).c_str(), native(target).c_str(), flags)) {
        err = lastError();
        DeleteFileW(native(temporary).c_str());
        return FileError{Stage::Replace, err};
    }
    return std::nullopt;
}

} // namespace vantrel
