// The key source of the machine the tool runs on: on Windows the registry itself, on Linux the tty
// devices presented as the registry's keys. Each platform's backend defines it.
#pragma once

#include "serial/ports/PortKeySource.h"

#include <memory>

namespace vantrel::ports {

std::shared_ptr<PortKeySource> makeSystemPortSource();

} // namespace vantrel::ports
