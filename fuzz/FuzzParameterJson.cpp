// Parameter JSON of any shape onto a parameter image.
//
// Checked: a refused import names a rule in both languages and leaves the image as it was; an accepted one
// exports to JSON that imports back to the identical image; the same bytes as NAME=VALUE assignments never
// change the image when refused.
#include "fuzz/FuzzSupport.h"
#include "report/ParameterJson.h"

#include <cstdint>

using namespace vantrel;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ImageBytes base{};
    for (std::size_t i = 0; i < ImageSize; ++i)
        base[i] = size ? data[i % size] : 0xFF;

    ImageBytes image = base;
    if (const auto error = importJson(input, image)) {
        require(image == base, "a refused import changed the image");
        require(!error->hungarian.isEmpty() && !error->english.isEmpty(), "a refusal without a message");
    } else {
        ImageBytes back = freshImage();
        require(!importJson(exportJson(image), back), "an export was refused on import");
        require(back == image, "an export imported back to other bytes");
    }

    ImageBytes assigned = base;
    if (applyAssignment(QString::fromUtf8(input), assigned))
        require(assigned == base, "a refused assignment changed the image");
    return 0;
}
