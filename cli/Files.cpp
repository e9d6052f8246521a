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

} // namespace

ImageBytes loadParameterFile(const QString& path) {
    try {
        return openParameterFile(path);
    } catch (const EInOutError& error) {
        readFailed(path, error.message());
    }
}

void storeParameterFile(const QString& path, const ImageBytes& image) {
    try {
        saveParameterFile(path, image);
    } catch (const EInOutError& error) {
        writeFailed(path, error.message());
    }
}

void checkWritable(const QString& path) {
    const QFileInfo info(path);
    const QByteArray native = QFile::encodeName(path);
    if (info.isDir())
        writeFailed(path, EInOutError::fromErrno(EISDIR, path).message());
    if (info.exists()) {
        if (::access(native.constData(), W_OK) != 0)
            writeFailed(path, EInOutError::fromErrno(errno, path).message());
        // Root passes every access check; a file without any write bit is still not to be replaced.
        struct stat st {};
        if (::geteuid() == 0 && ::stat(native.constData(), &st) == 0 && (st.st_mode & 0222) == 0)
            writeFailed(path, EInOutError::fromErrno(EACCES, path).message());
        return;
    }
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    if (::access(folder.constData(), W_OK | X_OK) != 0)
        writeFailed(path, EInOutError::fromErrno(errno, path).message());
}

QByteArray loadTextFile(const QString& path) {
    if (path == QLatin1String("-")) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            readFailed(say("a szabványos bemenet", "standard input"), EInOutError::fromErrno(EIO).message());
        const QByteArray bytes = in.read(kTextFileLimit + 1);
        if (bytes.size() > kTextFileLimit)
            readFailed(say("a szabványos bemenet", "standard input"), say("túl nagy", "too large"));
        return bytes;
    }
    const FileContent content = readFileStart(path, kTextFileLimit + 1);
    if (content.error)
        readFailed(path, EInOutError::fromErrno(content.error->err, path).message());
    if (content.bytes.size() > kTextFileLimit)
        readFailed(path, say("túl nagy", "too large"));
    return content.bytes;
}

} // namespace vantrel::cli
