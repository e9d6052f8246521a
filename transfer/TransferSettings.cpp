#include "transfer/TransferSettings.h"

#include "common/FileIO.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace vantrel {

namespace {

QString configHome() {
    const QString fromEnvironment = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    if (!fromEnvironment.isEmpty() && QDir::isAbsolutePath(fromEnvironment))
        return fromEnvironment;
    return QDir::homePath() + QStringLiteral("/.config");
}

const QString kBackup = QStringLiteral("transfer/backupBeforeWrite");
const QString kVerify = QStringLiteral("transfer/verifyAfterWrite");

} // namespace

QString toolSettingsPath() {
    return configHome() + QStringLiteral("/vantrel/vantrel.conf");
}

WriteOptions loadWriteOptions() {
    const QSettings settings(toolSettingsPath(), QSettings::IniFormat);
    WriteOptions options;
    options.backup = settings.value(kBackup, true).toBool();
    options.verify = settings.value(kVerify, true).toBool();
    return options;
}

void saveWriteOptions(const WriteOptions& options) {
    // The folder first, so that root, run in a user's home, makes it the user's.
    makeFolders(QFileInfo(toolSettingsPath()).absolutePath());
    {
        QSettings settings(toolSettingsPath(), QSettings::IniFormat);
        settings.setValue(kBackup, options.backup);
        settings.setValue(kVerify, options.verify);
        settings.sync();
    }
    handOverToHomeOwner(toolSettingsPath());
}

} // namespace vantrel
