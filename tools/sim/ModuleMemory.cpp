#include "tools/sim/ModuleMemory.h"

#include "common/FileIO.h"

#include <algorithm>
#include <cstring>

namespace vantrel::sim {

namespace {

constexpr std::size_t BytesPerBlock = 12;

} // namespace

std::uint32_t modulePageChecksum(const PageBytes& page) {
    std::uint32_t sum = 0;
    for (std::size_t k = 0; k < page.size(); ++k) {
        const auto weight = static_cast<std::uint32_t>(k / BytesPerBlock + 1 + k % BytesPerBlock);
        sum += weight ^ page[k];
    }
    return sum;
}

PageBytes pageOf(const MemoryBytes& memory, int page) {
    PageBytes bytes{};
    const auto start = memory.begin() + static_cast<std::ptrdiff_t>(page) * static_cast<std::ptrdiff_t>(PageSize);
    std::copy(start, start + static_cast<std::ptrdiff_t>(PageSize), bytes.begin());
    return bytes;
}

void storePage(MemoryBytes& memory, int page, const PageBytes& bytes) {
    std::copy(bytes.begin(), bytes.end(), memory.begin() + static_cast<std::ptrdiff_t>(page * PageSize));
}

ImageBytes readParameterFile(const std::string& path) {
    const FileContent content = readFileStart(QString::fromStdString(path), static_cast<qsizetype>(ImageSize));
    if (content.error)
        throw SimError((content.error->stage == FileError::Stage::Open ? "cannot open the memory file "
                                                                        : "cannot read the memory file ") +
                       path + ": " + systemText(content.error->err));
    if (content.bytes.size() < static_cast<qsizetype>(ImageSize))
        throw SimError("the memory file " + path + " holds " + std::to_string(content.bytes.size()) +
                       " bytes; a parameter file holds " + std::to_string(ImageSize));
    ImageBytes image{};
    std::copy(content.bytes.begin(), content.bytes.end(), image.begin());
    return image;
}

void writeParameterFile(const std::string& path, const ImageBytes& image) {
    const QByteArray bytes(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
    if (const std::optional<FileError> failed = writeFileAtomically(QString::fromStdString(path), bytes))
        throw SimError((failed->stage == FileError::Stage::Create ? "cannot create " : "cannot write ") + path +
                       ": " + systemText(failed->err));
}

std::string systemText(int err) {
    return std::strerror(err);
}

} // namespace vantrel::sim
