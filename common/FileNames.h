// Names that Windows keeps for its devices. The rule is about names, so it lives here and is tested on
// every platform; only the Windows backends apply it: on Linux these are ordinary names, and a site's
// file called "aux.VT3" or "con.VT3" must stay readable and writable there.
#pragma once

#include <QString>

namespace vantrel {

// Whether fileName (the last part of a path) names a device on Windows: CON, PRN, AUX, NUL, COM0-COM9,
// LPT0-LPT9 (also with the superscript digits ¹ ² ³), CONIN$ and CONOUT$, in any case, with or without an
// extension ("nul.txt", "COM1.VT3.bak") and with blanks or dots after the name ("NUL .txt", "con.").
// Opening such a name reaches the device, whatever folder it is in.
bool isDeviceName(const QString& fileName);

} // namespace vantrel
