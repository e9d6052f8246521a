#include "common/Cp1250.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace vantrel {

namespace {
constexpr const char* kCodePage = "windows-1250";
}

QByteArray toCp1250(const QString& text) {
    QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
    QByteArray out = encoder.encode(text);
    if (!encoder.hasError() && fromCp1250(out) == text)
        return out;
    // The converter writes 0x1A for what it cannot encode, a byte that ends a text for some readers: each
    // character without a code becomes '?' instead.
    out.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A character outside the basic plane is two UTF-16 units and becomes one "?".
        const qsizetype units = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString one = text.mid(i, units);
        i += units - 1;
        out += hasCp1250Code(one) ? encoder.encode(one) : QByteArray("?");
    }
    return out;
}

QString fromCp1250(const QByteArray& bytes) {
    QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

QString fromCp1250(char byte) {
    return fromCp1250(QByteArray(1, byte));
}

bool hasCp1250Code(const QString& text) {
    // The encoder replaces what it cannot encode; a round trip shows whether anything was replaced.
    QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(text);
    return !encoder.hasError() && fromCp1250(bytes) == text;
}

} // namespace vantrel
