// The tool's own settings that concern transfers, kept between runs in $XDG_CONFIG_HOME/vantrel/
// (~/.config/vantrel/ when the variable is unset; %APPDATA%\Vantrel\ on Windows): whether a write saves a
// backup first and reads the pages back afterwards.
#pragma once

#include "transfer/ParameterTransfer.h"

#include <QString>

namespace vantrel {

// The settings file of the tool.
QString toolSettingsPath();

// Both switches are on unless the installer turned them off; an unreadable file reads as the defaults.
WriteOptions loadWriteOptions();
// A settings file that cannot be written keeps what it held; the switches still hold for this run.
void saveWriteOptions(const WriteOptions& options);

} // namespace vantrel
