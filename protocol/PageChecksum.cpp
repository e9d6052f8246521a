#include "protocol/PageChecksum.h"

#include "params/ParameterImage.h"

namespace vantrel {

std::uint32_t PageChecksum(const std::uint8_t* page) {
    std::uint32_t sum = 0;
    for (std::size_t k = 0; k < PageSize; ++k)
        sum += static_cast<std::uint32_t>(checksumKey(k) ^ page[k]);
    return sum;
}

} // namespace vantrel
