#include "app/GraphicalSession.h"

namespace vantrel {

// A Windows program always runs on a desktop of its session.
bool graphicalSessionMissing(int, char**) {
    return false;
}

} // namespace vantrel
