// The backups a write leaves behind: before the first page is written, the module's parameter set is
// saved as a parameter file named by date and time, so that a write can always be undone.
#pragma once

#include "params/ParameterImage.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace vantrel {

namespace backups {

// How many backups are kept; the oldest go first.
constexpr int Kept = 500;

// $XDG_DATA_HOME/vantrel/backups, or ~/.local/share/vantrel/backups when the variable is unset.
QString folder();

// Saves image as a new backup file named after `when` ("2026-12-08_14-03-27.VT3"; a second backup in the
// same second gets "_2", "_3" ... rather than replacing the first), then removes the oldest beyond Kept.
// Returns the path; EInOutError when the folder cannot be made or the file cannot be written.
QString save(const ImageBytes& image, const QDateTime& when = QDateTime::currentDateTime());

// The backup files, newest first.
QStringList list();

} // namespace backups

} // namespace vantrel
