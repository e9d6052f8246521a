// How compare and diff print differences: the rows of the report library as text lines, or as the JSON
// object {"equal": ..., "differences": [...]} that scripts read.
#pragma once

#include "report/ImageDiff.h"

#include <vector>

namespace vantrel::cli {

// Prints the differences of left and right over [begin, end) (text or JSON, as asked) and returns the exit
// status: 0 when equal, 1 when they differ.
int reportDifferences(const ImageBytes& left, const ImageBytes& right, std::size_t begin, std::size_t end, bool json);

} // namespace vantrel::cli
