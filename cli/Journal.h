// The command-line tool's entries in the event log that the windows keep: transfer outcomes, files
// saved, ports that could not be opened. A log that cannot be written never stops a command.
#pragma once

#include <QString>

namespace vantrel::cli {

// One entry "vantrel5-cli <where>: <text>"; where is the port or the file concerned.
void logEvent(const QString& where, const QString& text);

} // namespace vantrel::cli
