#include "serial/MessageShape.h"

#include <algorithm>

namespace vantrel {

int bytesToMessageEnd(const MessageShape& shape, std::span<const std::uint8_t> recent) {
    if (!shape.known() || recent.empty())
        return -1;
    const int n = static_cast<int>(recent.size());
    const int lastIndex = n - 1;
    if (recent[static_cast<std::size_t>(lastIndex)] == shape.last && n >= shape.length &&
        recent[static_cast<std::size_t>(n - shape.length)] == shape.first)
        return 0;
    // Only a start within the last length-1 bytes can belong to a message still open; the first of them
    // ends earliest.
    for (int p = std::max(0, n - shape.length + 1); p < n; ++p)
        if (recent[static_cast<std::size_t>(p)] == shape.first)
            return p + shape.length - 1 - lastIndex;
    return -1;
}

bool messageEndsWithin(const MessageShape& shape, std::span<const std::uint8_t> recent, int fresh) {
    if (!shape.known())
        return false;
    const int n = static_cast<int>(recent.size());
    for (int end = std::max(shape.length - 1, n - fresh); end < n; ++end)
        if (recent[static_cast<std::size_t>(end)] == shape.last &&
            recent[static_cast<std::size_t>(end - shape.length + 1)] == shape.first)
            return true;
    return false;
}

} // namespace vantrel
