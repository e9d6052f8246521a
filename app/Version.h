// The version the tool shows of itself.
#pragma once

namespace vantrel {
constexpr const char* kVersionText = "v1.03";
constexpr const char* kProductTitle = "Vantrel 5  v1.03"; // two blanks before the version
} // namespace vantrel
