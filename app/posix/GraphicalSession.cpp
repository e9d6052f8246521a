#include "app/GraphicalSession.h"

#include <QtGlobal>
#include <cstring>

namespace vantrel {

// An X11 or Wayland session says so in the environment; a platform chosen by the user (offscreen, vnc,
// ...) is the user's choice.
bool graphicalSessionMissing(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
        qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return false;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return false;
    return true;
}

} // namespace vantrel
