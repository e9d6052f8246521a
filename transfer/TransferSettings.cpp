#include "transfer/TransferSettings.h"

#include "common/FileIO.h"
#include "common/UserFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace vantrel {

namespace {

const QString kBackup = QStringLiteral("transfer/backupBeforeWrite");
const QString kVerify = QStringLiteral("transfer/verifyAfterWrite");

} // namespace

QString toolSettingsPath() {
    return settingsFolder() + QStringLiteral("/vantrel.conf");
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
