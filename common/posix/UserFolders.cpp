// The XDG base directories.
#include "common/UserFolders.h"

#include <QDir>

namespace vantrel {

namespace {

const QString kSub = QStringLiteral("vantrel");

} // namespace

QString settingsFolder() {
    return folderFromEnvironment("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"), kSub);
}

QString dataFolder() {
    return folderFromEnvironment("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"), kSub);
}

QString stateFolder() {
    return folderFromEnvironment("XDG_STATE_HOME", QDir::homePath() + QStringLiteral("/.local/state"), kSub);
}

} // namespace vantrel
