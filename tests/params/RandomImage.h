// Parameter images for tests: the documented result of storing a fresh image, and for property tests
// canonical ones (every field exactly as a store writes it) and damaged ones (canonical, then some field
// bytes overwritten with arbitrary values). Spare bytes get random values in both, so a test can see that
// nothing touches them.
#pragma once

#include "params/ParameterImage.h"

#include <random>

namespace vantrel::test {

ImageBytes canonicalImage(std::mt19937& rng);
ImageBytes damagedImage(std::mt19937& rng);

// The image a fresh editor stores when confirmed unchanged, written out byte by byte.
ImageBytes freshImageStored();

} // namespace vantrel::test
