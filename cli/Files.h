// Parameter files for the commands: opened and saved through the transfer library, their failures turned
// into the command's error line (exit status 5) with the reason the windows give.
#pragma once

#include "params/ParameterImage.h"

#include <QByteArray>
#include <QString>

namespace vantrel::cli {

// A parameter file, or one of our JSON exports read as the parameter set it describes (wasExport then
// true). CliError FileFailed when the file is missing, neither an export nor 1088 bytes long, a directory or
// unreadable; UsageError for an export with a value refused.
ImageBytes loadParameterFile(const QString& path, bool* wasExport = nullptr);
// Atomically, never over a file the user may not write; CliError FileFailed, the old file left as it was.
void storeParameterFile(const QString& path, const ImageBytes& image);
// A text such as an export, through the same careful writer; CliError FileFailed.
void storeTextFile(const QString& path, const QByteArray& text);
// Fails early (CliError FileFailed) when path could surely not be written: a directory, a device, a pipe,
// a read-only file, a folder that is missing or not writable. The save itself still decides.
void checkWritable(const QString& path);
// A whole text file such as a JSON document (at most 16 MB), "-" for standard input; CliError FileFailed.
QByteArray loadTextFile(const QString& path);

} // namespace vantrel::cli
