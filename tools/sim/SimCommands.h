// What an installer can type into the running simulator (texts, status, faults, memory), and the demo
// that keeps the tool's windows moving in `make run`.
#pragma once

#include "tools/sim/ModuleSimulator.h"

#include <string>
#include <string_view>

namespace vantrel::sim {

class CommandInterpreter {
public:
    struct Result {
        std::string output; // for standard output; empty when there is nothing to say
        bool quit = false;
    };

    explicit CommandInterpreter(ModuleSimulator& simulator) : sim_(simulator) {}
    // One line as typed. Throws OptionError or SimError with the reason a command cannot be followed.
    Result execute(std::string_view line);

private:
    ModuleSimulator& sim_;
};

// A message as typed (UTF-8, with the escapes \r \n \t \\ \xHH) in the module's code page, Windows-1250.
// `lineEnd` tells whether CR LF should follow: false when the text ends in \c. Throws OptionError for a
// bad escape or a character the code page lacks.
std::string messageBytes(std::string_view typed, bool& lineEnd);

// The demo: each step one text on the next channel and a small move of the status.
class DemoScript {
public:
    struct Step {
        int channel;
        TextForm form;
        std::string text; // Windows-1250
        ModuleStatus status;
    };
    Step next(const ModuleStatus& current);

private:
    int tick_ = 0;
};

} // namespace vantrel::sim
