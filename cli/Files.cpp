#include "cli/Files.h"

#include "cli/CliText.h"
#include "common/Errors.h"
#include "common/FileIO.h"
#include "transfer/ParameterFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::cli {

namespace {

constexpr qsizetype kTextFileLimit = 16 * 1024 * 1024;

[[noreturn]] void readFailed(const QString& path, const QString& reason) {
    throw CliError(FileFailed, say("a fájl nem olvasható: %1: %2", "cannot read file %1: %2").arg(path, reason));
}

[[noreturn]] void writeFailed(const QString& path, const QString& reason) {
    throw CliError(FileFailed, say("a fájl nem írható: %1: %2", "cannot write file %1: %2").arg(path, reason));
}

// The reason of a file error in the language of the run.
QString reasonOf(const EInOutError& error) {
    return inOutErrorText(error, textLanguage());
}

// An input that exists but is no file says what it is, rather than that access was denied.
void refuseNonFileInput(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || S_ISREG(st.st_mode))
        return;
    if (S_ISDIR(st.st_mode))
        readFailed(path, say("ez egy mappa, nem fájl", "this is a directory, not a file"));
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        readFailed(path, say("ez egy eszköz, nem fájl", "this is a device, not a file"));
    if (S_ISFIFO(st.st_mode))
        readFailed(path, say("ez egy csővezeték (FIFO), nem fájl", "this is a pipe (FIFO), not a file"));
    readFailed(path, say("ez nem közönséges fájl", "this is not a regular file"));
}

} // namespace

ImageBytes loadParameterFile(const QString& path) {
    refuseNonFileInput(path);
    try {
        return openParameterFile(path);
    } catch (const EInOutError& error) {
        readFailed(path, reasonOf(error));
    }
}

void storeParameterFile(const QString& path, const ImageBytes& image) {
    try {
        saveParameterFile(path, image);
    } catch (const EInOutError& error) {
        writeFailed(path, reasonOf(error));
    }
}

void checkWritable(const QString& path) {
    const QFileInfo info(path);
    const QByteArray native = QFile::encodeName(path);
    if (info.isDir())
        writeFailed(path, say("ez egy mappa, nem fájl", "this is a directory, not a file"));
    if (info.exists()) {
        if (::access(native.constData(), W_OK) != 0)
            writeFailed(path, reasonOf(EInOutError::fromErrno(errno, path)));
        // Root passes every access check; a file without any write bit is still not to be replaced.
        struct stat st {};
        if (::geteuid() == 0 && ::stat(native.constData(), &st) == 0 && (st.st_mode & 0222) == 0)
            writeFailed(path, reasonOf(EInOutError::fromErrno(EACCES, path)));
        return;
    }
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    if (::access(folder.constData(), W_OK | X_OK) != 0)
        writeFailed(path, reasonOf(EInOutError::fromErrno(errno, path)));
}

QByteArray loadTextFile(const QString& path) {
    if (path == QLatin1String("-")) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            readFailed(say("a szabványos bemenet", "standard input"), reasonOf(EInOutError::fromErrno(EIO)));
        const QByteArray bytes = in.read(kTextFileLimit + 1);
        if (bytes.size() > kTextFileLimit)
            readFailed(say("a szabványos bemenet", "standard input"), say("túl nagy", "too large"));
        return bytes;
    }
    refuseNonFileInput(path);
    const FileContent content = readFileStart(path, kTextFileLimit + 1);
    if (content.error)
        readFailed(path, reasonOf(EInOutError::fromErrno(content.error->err, path)));
    if (content.bytes.size() > kTextFileLimit)
        readFailed(path, say("túl nagy", "too large"));
    return content.bytes;
}

} // namespace vantrel::cli
