// Windows-1250 through the system's own code page.
#include "common/Cp1250Codec.h"

#include <windows.h>

namespace vantrel::cp1250 {

namespace {
constexpr UINT kCodePage = 1250;
}

QByteArray encode(const QString& text, bool& exact) {
    exact = true;
    if (text.isEmpty())
        return {};
    const auto* units = reinterpret_cast<const wchar_t*>(text.utf16());
    const int length = static_cast<int>(text.size());
    // No best fit: "ő" must never quietly become "o", nor "✓" a look-alike.
    const int size = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, units, length, nullptr, 0, nullptr, nullptr);
    QByteArray bytes(size, Qt::Uninitialized);
    BOOL defaulted = FALSE;
    WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, units, length, bytes.data(), size, "?", &defaulted);
    exact = size > 0 && !defaulted && decode(bytes) == text;
    return bytes;
}

QString decode(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(kCodePage, 0, bytes.constData(), length, nullptr, 0);
    QString text(size, Qt::Uninitialized);
    MultiByteToWideChar(kCodePage, 0, bytes.constData(), length, reinterpret_cast<wchar_t*>(text.data()), size);
    return text;
}

} // namespace vantrel::cp1250
