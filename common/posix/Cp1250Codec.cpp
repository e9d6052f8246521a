// Windows-1250 through Qt's converter.
#include "common/Cp1250Codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace vantrel::cp1250 {

namespace {
constexpr const char* kCodePage = "windows-1250";
}

QByteArray encode(const QString& text, bool& exact) {
    QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(text);
    // The encoder replaces what it cannot encode; a round trip shows whether anything was replaced.
    exact = !encoder.hasError() && decode(bytes) == text;
    return bytes;
}

QString decode(const QByteArray& bytes) {
    QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace vantrel::cp1250
