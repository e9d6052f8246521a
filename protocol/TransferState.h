// The state that incoming page and acknowledgement messages leave for the parameter transfer: the
// transfer clears the flags before a request and polls them while it waits.
#pragma once

#include "params/ParameterImage.h"

#include <array>
#include <cstdint>

namespace vantrel {

struct TransferState {
    std::uint8_t PageReceived = 0;      // a whole page arrived and its checksum matched
    std::uint8_t WriteAcknowledged = 0; // the module acknowledged a written page
    std::uint16_t PageAddress = 0;      // start address of the page being received (page number x 64)
    std::uint16_t BlockCounter = 0;     // next expected block, 1 to 6; 0 = no page in progress
    std::uint32_t PageSum = 0;          // running checksum of the page being received
    std::array<std::uint8_t, PageSize> PageBuffer{};
};

} // namespace vantrel
