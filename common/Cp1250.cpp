#include "common/Cp1250.h"

#include "common/Cp1250Codec.h"

namespace vantrel {

QByteArray toCp1250(const QString& text) {
    bool exact = false;
    QByteArray out = cp1250::encode(text, exact);
    if (exact)
        return out;
    // A converter may write 0x1A for what it cannot encode, a byte that ends a text for some readers: each
    // character without a code becomes '?' instead.
    out.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A character outside the basic plane is two UTF-16 units and becomes one "?".
        const qsizetype units = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray one = cp1250::encode(text.mid(i, units), exact);
        i += units - 1;
        out += exact ? one : QByteArray("?");
    }
    return out;
}

QString fromCp1250(const QByteArray& bytes) {
    return cp1250::decode(bytes);
}

QString fromCp1250(char byte) {
    return fromCp1250(QByteArray(1, byte));
}

bool hasCp1250Code(const QString& text) {
    bool exact = false;
    cp1250::encode(text, exact);
    return exact;
}

} // namespace vantrel
