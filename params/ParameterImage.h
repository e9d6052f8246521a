// The PC-side copy of the module's parameter memory: 1088 bytes, each at the module's own address.
// Pages 0..14 (960 bytes) are exchanged with the module; 960..1087 exist only here and in files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vantrel {

constexpr std::size_t ImageSize = 1088;
constexpr std::size_t PageSize = 64;
constexpr std::size_t PageCount = 15;
constexpr std::size_t TransferLength = PageSize * PageCount;
static_assert(TransferLength == 960 && TransferLength < ImageSize);

using ImageBytes = std::array<std::uint8_t, ImageSize>;

// The image as the program starts with it: every byte 0xFF.
inline ImageBytes freshImage() {
    ImageBytes image;
    image.fill(0xFF);
    return image;
}

} // namespace vantrel
