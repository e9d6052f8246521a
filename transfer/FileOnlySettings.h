// The settings a write never carries to the module: the fields of the image beyond the module's pages
// (the receiver addresses and ports, PanelID, ServerID). The module has no copy of them, so a value
// there is kept only in the file; the tool says so where an installer might expect otherwise.
#pragma once

#include "common/Errors.h"
#include "params/ParameterImage.h"

#include <QStringList>

namespace vantrel {

// The code names of the fields beyond the module's pages that hold something other than what a read from
// the module gives there (zero bytes), in table order. The always-zero tails of the ports are no settings.
QStringList settingsKeptOnlyInFile(const ImageBytes& image);

// Whether the field of that code name lies beyond the module's pages (and is a setting).
bool isFileOnlySetting(const QString& name);

// "Csak a fájlban tárolódik, a modulba nem kerül: PanelID, ServerID." (at most `shown` names, then how
// many more); empty for no names.
QString keptOnlyInFileText(const QStringList& names, TextLanguage language = TextLanguage::Hungarian,
                           qsizetype shown = 4);

} // namespace vantrel
