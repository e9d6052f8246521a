// Prints how long the difference list of two random images (every field differs) and a JSON round trip of
// an image take, against the 100 ms and 10 ms the installer may wait.
#include "report/ImageDiff.h"
#include "report/ParameterJson.h"

#include <QElapsedTimer>
#include <cstdio>
#include <random>

using namespace vantrel;

namespace {

ImageBytes randomImage(std::mt19937& rng) {
    ImageBytes image;
    for (auto& b : image)
        b = static_cast<std::uint8_t>(rng());
    return image;
}

template <typename F> double microsecondsPerRun(int runs, F&& f) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < runs; ++i)
        f();
    return static_cast<double>(timer.nsecsElapsed()) / 1000.0 / runs;
}

} // namespace

int main() {
    std::mt19937 rng(1);
    const ImageBytes left = randomImage(rng), right = randomImage(rng);
    std::size_t rows = 0;
    const double diffUs = microsecondsPerRun(200, [&] { rows = diffImages(left, right).size(); });
    std::printf("difference list, two random images: %zu rows, %.1f us (%.4f of 100 ms)\n", rows, diffUs,
                diffUs / 100000.0);
    ImageBytes back{};
    bool ok = true;
    const double jsonUs = microsecondsPerRun(200, [&] { ok = !importJson(exportJson(left), back) && ok; });
    std::printf("JSON round trip, random image: %s, %.1f us (%.4f of 10 ms)\n",
                ok && back == left ? "identical" : "DIFFERS", jsonUs, jsonUs / 10000.0);
    return ok && back == left ? 0 : 1;
}
