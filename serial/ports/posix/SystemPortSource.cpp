// On Linux the machine's ports come from libudev and the port link folder.
#include "serial/ports/SystemPortSource.h"

#include "serial/ports/LinuxPortSource.h"

namespace vantrel::ports {

std::shared_ptr<PortKeySource> makeSystemPortSource() {
    return std::make_shared<LinuxPortSource>();
}

} // namespace vantrel::ports
