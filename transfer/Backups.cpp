#include "transfer/Backups.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/UserFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace vantrel::backups {

namespace {

const QString kSuffix = QStringLiteral(".VT3");

// The tool's own backups in the folder, newest first (the names begin with the time).
QStringList ownBackups(const QDir& dir) {
    QStringList names = dir.entryList({QStringLiteral("*") + kSuffix}, QDir::Files, QDir::Name | QDir::Reversed);
    names.removeIf([](const QString& name) { return !isBackupName(name); });
    return names;
}

void prune(QDir& dir) {
    const QStringList files = ownBackups(dir);
    for (qsizetype i = Kept; i < files.size(); ++i)
        dir.remove(files[i]);
}

// Letters and digits of the port's name (of a device path, its last part): it becomes part of a file name.
QString portPart(const QString& port) {
    QString part;
    for (const QChar c : port.section(QLatin1Char('/'), -1))
        if (c.isLetterOrNumber() && c.unicode() < 128)
            part += c;
    return part;
}

[[noreturn]] void notSaved(const QString& path, int err) {
    throw VantrelError(QStringLiteral("%1: %2").arg(path, systemErrorText(err, TextLanguage::English)));
}

} // namespace

QString folder() {
    return dataFolder() + QStringLiteral("/backups");
}

bool isBackupName(const QString& fileName) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2}(_[A-Za-z0-9]+)*\\.VT3$"));
    return pattern.match(fileName).hasMatch();
}

QString save(const ImageBytes& image, const QString& port, const QDateTime& when) {
    const QString path = folder();
    if (const int err = makeFolders(path, true))
        notSaved(path, err);
    QDir dir(path);
    const QByteArray bytes(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
    QString stem = when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    if (!portPart(port).isEmpty())
        stem += QLatin1Char('_') + portPart(port);
    stem += QStringLiteral("_%1").arg(qChecksum(bytes), 4, 16, QLatin1Char('0'));
    QString file;
    for (int n = 1;; ++n) {
        file = dir.filePath(n == 1 ? stem + kSuffix : QStringLiteral("%1_%2%3").arg(stem).arg(n).arg(kSuffix));
        const std::optional<FileError> failed = writeFileAtomically(file, bytes, ExistingFile::Keep);
        if (!failed)
            break;
        // Taken, by an earlier backup or one saved this very moment: the next number.
        if (!nameTaken(*failed) || n >= 1000)
            notSaved(file, failed->err);
    }
    prune(dir);
    return file;
}

QStringList list() {
    const QDir dir(folder());
    QStringList paths;
    for (const QString& name : ownBackups(dir))
        paths << dir.filePath(name);
    return paths;
}

} // namespace vantrel::backups
