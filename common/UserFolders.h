// The folders where the tool keeps what it keeps for the user: its settings, the backups of writes and the
// event log. Linux follows the XDG base directories, Windows the user's application data folders; each
// platform's backend (posix/, win32/) names its own. VantrelSetup.ini and APNs.dat are not among them:
// they stay in the working directory on every platform.
#pragma once

#include <QString>

namespace vantrel {

// Linux: $XDG_CONFIG_HOME/vantrel (~/.config/vantrel). Windows: %APPDATA%\Vantrel, which roams with the user.
QString settingsFolder();
// Linux: $XDG_DATA_HOME/vantrel (~/.local/share/vantrel). Windows: %LOCALAPPDATA%\Vantrel.
QString dataFolder();
// Linux: $XDG_STATE_HOME/vantrel (~/.local/state/vantrel). Windows: %LOCALAPPDATA%\Vantrel.
QString stateFolder();

// The rule both platforms follow: the folder the environment variable names, if it is an absolute path
// (a relative one is ignored, as the XDG base directories require), else fallback; then sub in it.
QString folderFromEnvironment(const char* variable, const QString& fallback, const QString& sub);

} // namespace vantrel
