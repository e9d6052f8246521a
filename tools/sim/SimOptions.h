// The command line of vantrel-sim: its options, their checking, and the --help text. The fault options
// are also what the interactive "fault" command takes.
#pragma once

#include "tools/sim/ModuleSimulator.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::sim {

// A command line or command that cannot be followed; the text says what is wrong with it.
class OptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string device;     // empty: a new pseudo-terminal
    int com = 0;            // port link to make; 0 none
    std::string memoryFile; // empty: memory all 0xFF
    ModuleStatus status;
    Timing timing;
    Faults faults;
    int demoSeconds = 0; // 0: no demo texts
    bool verbose = false;
    bool help = false;
};

// The arguments after the program name. Throws OptionError.
Options parseOptions(const std::vector<std::string>& args);
// Fault options only ("--noise", "3", "--bad-checksum=2", ...), applied on top of `faults`.
// Throws OptionError, also for an option that is no fault.
Faults parseFaultOptions(const std::vector<std::string>& args, Faults faults);
// The faults in the words of the options ("drop-block 2@5 noise 3"), or "none".
std::string describeFaults(const Faults& faults);

// A number written in decimal or as 0x hexadecimal, from `low` to `high`. Throws OptionError naming `what`.
int parseNumber(std::string_view text, int low, int high, std::string_view what);

std::string helpText();

} // namespace vantrel::sim
