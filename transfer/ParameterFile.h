// Parameter files (.VT3): the 1088 bytes of the parameter image, raw, with no header.
#pragma once

#include "params/ParameterImage.h"

#include <QString>

namespace vantrel {

// Replaces the file with the image in one step, so a failure never leaves a truncated file behind.
// EInOutError on failure.
void saveParameterFile(const QString& fileName, const ImageBytes& image);

// Reads the first 1088 bytes of the file (more are ignored). Needs only read access. EInOutError on
// failure, "Read beyond end of file" for a shorter file; nothing is returned then.
ImageBytes openParameterFile(const QString& fileName);

} // namespace vantrel
