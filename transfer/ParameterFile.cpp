#include "transfer/ParameterFile.h"

#include "common/Errors.h"
#include "common/FileIO.h"

#include <algorithm>

namespace vantrel {

void saveParameterFile(const QString& fileName, const ImageBytes& image) {
    const QByteArray bytes(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
    if (const std::optional<FileError> failed = writeFileAtomically(fileName, bytes))
        throw EInOutError::fromErrno(failed->err, fileName);
}

ImageBytes openParameterFile(const QString& fileName) {
    const FileContent content = readFileStart(fileName, static_cast<qsizetype>(ImageSize));
    if (content.error)
        throw EInOutError::fromErrno(content.error->err, fileName);
    if (content.bytes.size() < static_cast<qsizetype>(ImageSize))
        throw EInOutError(EInOutError::ReadBeyondEnd);
    ImageBytes image;
    std::copy(content.bytes.begin(), content.bytes.end(), image.begin());
    return image;
}

} // namespace vantrel
