// The user's application data folders: the roaming one for settings that follow the user to another
// computer, the local one for what belongs to this computer (backups of its writes, its log). Both as the
// environment names them, which also lets tests point them elsewhere; without the variables, where the
// system puts them.
#include "common/UserFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace vantrel {

namespace {

const QString kSub = QStringLiteral("Vantrel");

QString localAppData() {
    // Qt's generic data location on Windows is the local application data folder itself.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

} // namespace

QString settingsFolder() {
    // Qt names the roaming folder only with the program's own name appended, and the tool and the
    // command-line tool share their settings: its place under the profile instead.
    return folderFromEnvironment("APPDATA", QDir::homePath() + QStringLiteral("/AppData/Roaming"), kSub);
}

QString dataFolder() {
    return folderFromEnvironment("LOCALAPPDATA", localAppData(), kSub);
}

QString stateFolder() {
    return folderFromEnvironment("LOCALAPPDATA", localAppData(), kSub);
}

} // namespace vantrel
