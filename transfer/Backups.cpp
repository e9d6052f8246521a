#include "transfer/Backups.h"

#include "common/Errors.h"
#include "common/FileIO.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>

namespace vantrel::backups {

namespace {

const QString kSuffix = QStringLiteral(".VT3");

QString dataHome() {
    const QByteArray fromEnvironment = qgetenv("XDG_DATA_HOME");
    // The base directory specification ignores a relative path.
    if (!fromEnvironment.isEmpty() && QDir::isAbsolutePath(QString::fromLocal8Bit(fromEnvironment)))
        return QString::fromLocal8Bit(fromEnvironment);
    return QDir::homePath() + QStringLiteral("/.local/share");
}

void prune(QDir& dir) {
    const QStringList files = dir.entryList({QStringLiteral("*") + kSuffix}, QDir::Files, QDir::Name | QDir::Reversed);
    for (qsizetype i = Kept; i < files.size(); ++i)
        dir.remove(files[i]);
}

} // namespace

QString folder() {
    return dataHome() + QStringLiteral("/vantrel/backups");
}

QString save(const ImageBytes& image, const QDateTime& when) {
    const QString path = folder();
    QDir dir(path);
    if (!dir.mkpath(QStringLiteral(".")))
        throw EInOutError::fromErrno(EACCES, path);
    const QString stem = when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    QString name = stem + kSuffix;
    for (int n = 2; QFileInfo::exists(dir.filePath(name)); ++n)
        name = QStringLiteral("%1_%2%3").arg(stem).arg(n).arg(kSuffix);
    const QString file = dir.filePath(name);
    const QByteArray bytes(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
    if (const std::optional<FileError> failed = writeFileAtomically(file, bytes))
        throw EInOutError::fromErrno(failed->err, file);
    prune(dir);
    return file;
}

QStringList list() {
    const QDir dir(folder());
    QStringList paths;
    for (const QString& name : dir.entryList({QStringLiteral("*") + kSuffix}, QDir::Files, QDir::Name | QDir::Reversed))
        paths << dir.filePath(name);
    return paths;
}

} // namespace vantrel::backups
