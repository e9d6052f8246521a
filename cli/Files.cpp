#include "cli/Files.h"

#include "cli/CliText.h"
#include "common/Errors.h"
#include "common/FileIO.h"
#include "report/ParameterJson.h"
#include "transfer/ParameterFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

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
    switch (entryKind(path)) {
    case EntryKind::Missing:
    case EntryKind::File:
        return;
    case EntryKind::Folder:
        readFailed(path, say("ez egy mappa, nem fájl", "this is a directory, not a file"));
    case EntryKind::Device:
        readFailed(path, say("ez egy eszköz, nem fájl", "this is a device, not a file"));
    case EntryKind::Pipe:
        readFailed(path, say("ez egy csővezeték (FIFO), nem fájl", "this is a pipe (FIFO), not a file"));
    case EntryKind::Other:
        break;
    }
    readFailed(path, say("ez nem közönséges fájl", "this is not a regular file"));
}

} // namespace

ImageBytes loadParameterFile(const QString& path, bool* wasExport) {
    refuseNonFileInput(path);
    // One read serves both kinds: a parameter file is 1088 bytes, an export at most the text limit.
    const FileContent content = readFileStart(path, kTextFileLimit + 1);
    if (content.error)
        readFailed(path, reasonOf(EInOutError::fromErrno(content.error->err, path)));
    if (wasExport)
        *wasExport = false;
    if (isJsonText(content.bytes)) {
        // One of our exports: its values, never its text as raw bytes into a module.
        if (content.bytes.size() > kTextFileLimit)
            readFailed(path, say("túl nagy", "too large"));
        ImageBytes image = freshImage();
        if (const auto refused = importJson(content.bytes, image))
            throw CliError(UsageError,
                           QStringLiteral("%1: %2").arg(path, refused->message(language() == Language::Hungarian
                                                                                   ? MessageLanguage::Hungarian
                                                                                   : MessageLanguage::English)));
        if (wasExport)
            *wasExport = true;
        return image;
    }
    if (content.bytes.size() < static_cast<qsizetype>(ImageSize))
        readFailed(path, reasonOf(EInOutError(EInOutError::ReadBeyondEnd)));
    ImageBytes image;
    std::copy_n(content.bytes.begin(), ImageSize, image.begin());
    return image;
}

void storeParameterFile(const QString& path, const ImageBytes& image) {
    try {
        saveParameterFile(path, image);
    } catch (const EInOutError& error) {
        writeFailed(path, reasonOf(error));
    }
}

void storeTextFile(const QString& path, const QByteArray& text) {
    if (const std::optional<FileError> failed = writeFileAtomically(path, text))
        writeFailed(path, reasonOf(EInOutError::fromErrno(failed->err, path)));
}

void checkWritable(const QString& path) {
    if (QFileInfo(path).isDir())
        writeFailed(path, say("ez egy mappa, nem fájl", "this is a directory, not a file"));
    if (const int err = checkWritableTarget(path))
        writeFailed(path, reasonOf(EInOutError::fromErrno(err, path)));
}

QByteArray loadTextFile(const QString& path) {
    if (path == QLatin1String("-")) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            readFailed(say("a szabványos bemenet", "standard input"), say("nem nyitható meg", "cannot be opened"));
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
