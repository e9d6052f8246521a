// The backups a write leaves behind: before the first page is written, the module's parameter set is
// saved as a parameter file named by date and time, the port and a tag of the content, so that a write can
// always be undone and a person can tell the backups of several modules apart.
#pragma once

#include "params/ParameterImage.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace vantrel {

namespace backups {

// How many backups are kept; the oldest go first.
constexpr int Kept = 500;

// backups/ in the tool's data folder: $XDG_DATA_HOME/vantrel/backups, or ~/.local/share/vantrel/backups when
// the variable is unset; on Windows %LOCALAPPDATA%\Vantrel\backups.
QString folder();

// Saves image as a new backup file named after `when`, the port and a short tag of the content
// ("2026-12-09_19-35-48_COM7_3fa2.VT3"). An existing file is never replaced, not even by a backup written
// at the same moment by another process: the name then gets "_2", "_3" ... Afterwards the oldest of the
// tool's own backups beyond Kept are removed; other files in the folder are left alone.
// Returns the path; VantrelError naming the path and the system's reason when it cannot be saved.
QString save(const ImageBytes& image, const QString& port = {}, const QDateTime& when = QDateTime::currentDateTime());

// Whether a file name is one the tool gives its backups.
bool isBackupName(const QString& fileName);

// The tool's backup files, newest first.
QStringList list();

} // namespace backups

} // namespace vantrel
