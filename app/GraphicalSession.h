// Whether the tool can open windows at all, asked before Qt is started: without a display Qt would abort
// with a message about platform plugins that tells an installer nothing.
#pragma once

namespace vantrel {

// True when there is no graphical session to open windows in and none was chosen on the command line
// (-platform) or in QT_QPA_PLATFORM.
bool graphicalSessionMissing(int argc, char** argv);

} // namespace vantrel
