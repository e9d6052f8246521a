// Field kinds of the parameter image: the byte rules behind the editor's LoadFromImage and StoreToImage.
#include "params/FieldCodecs.h"

#include "common/Cp1250.h"

#include <algorithm>
#include <stdexcept>

namespace vantrel {

namespace {

constexpr std::uint8_t kEmptyPhoneCount = 0xFF;
constexpr std::uint8_t kNoCode = 0xFF;
constexpr std::uint8_t kStar = 10;
constexpr std::uint8_t kPad = 0x20;
constexpr std::uint8_t kQuote = 0x22;
constexpr std::uint8_t kCapitalUDoubleAcute = 0xDB;
constexpr std::uint8_t kCapitalUDiaeresis = 0xDC;

void requireSize(ConstFieldBytes field, std::size_t size, const char* what) {
    if (field.size() != size)
        throw std::invalid_argument(what);
}

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isDigitByte(std::uint8_t byte) {
    return byte >= '0' && byte <= '9';
}

// Digit slots after the count byte: the counting cells' first characters, squeezed together, zeros after.
// Returns the number of digits written.
std::uint8_t writeDigits(FieldBytes field, const QStringList& cells) {
    const std::size_t digitSlots = field.size() - 1;
    std::size_t n = 0;
    for (const QString& cell : cells) {
        if (n == digitSlots)
            break;
        if (!cell.isEmpty() && isAsciiDigit(cell.front()))
            field[1 + n++] = static_cast<std::uint8_t>(cell.front().unicode());
    }
    std::fill(field.begin() + 1 + static_cast<std::ptrdiff_t>(n), field.end(), std::uint8_t{0});
    return static_cast<std::uint8_t>(n);
}

// A count above the field's digitSlots is treated as an empty field, not clipped: such a field was never
// written by this layout and its digitSlots mean nothing.
QStringList readDigits(ConstFieldBytes field) {
    const std::size_t digitSlots = field.size() - 1;
    QStringList cells(static_cast<qsizetype>(digitSlots));
    std::size_t n = field[0];
    if (n > digitSlots)
        n = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (isDigitByte(field[1 + i]))
            cells[static_cast<qsizetype>(i)] = QChar(field[1 + i]);
    return cells;
}

// Writes n characters of text, then spaces to the end; the count byte becomes n.
void writeCounted(FieldBytes field, const QByteArray& text, bool toModule) {
    const std::size_t capacity = field.size() - 1;
    const std::size_t n = std::min(capacity, static_cast<std::size_t>(text.size()));
    for (std::size_t i = 0; i < n; ++i) {
        const auto byte = static_cast<std::uint8_t>(text[static_cast<qsizetype>(i)]);
        field[1 + i] = toModule ? ToModuleChar(byte) : byte;
    }
    std::fill(field.begin() + 1 + static_cast<std::ptrdiff_t>(n), field.end(), kPad);
    field[0] = static_cast<std::uint8_t>(n);
}

QByteArray readCounted(ConstFieldBytes field, bool fromModule) {
    const std::size_t capacity = field.size() - 1;
    std::size_t n = field[0];
    if (n > capacity)
        n = 0;
    QByteArray text;
    text.reserve(static_cast<qsizetype>(n));
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t byte = field[1 + i];
        if (byte == 0x00 || byte == 0xFF)
            continue;
        text.append(static_cast<char>(fromModule ? FromModuleChar(byte) : byte));
    }
    return text;
}

template <typename T> const T& valueAs(const FieldValue& value, const FieldSpec& spec) {
    if (const T* held = std::get_if<T>(&value))
        return *held;
    throw std::invalid_argument("value does not fit the kind of field " + std::string(spec.name));
}

} // namespace

std::uint8_t ToModuleChar(std::uint8_t byte) {
    return byte == kCapitalUDoubleAcute ? kCapitalUDiaeresis : byte;
}

std::uint8_t FromModuleChar(std::uint8_t byte) {
    return byte;
}

void encodePhoneNumber(FieldBytes field, const QStringList& cells) {
    requireSize(field, 17, "phone number field is 17 bytes");
    const std::uint8_t n = writeDigits(field, cells);
    field[0] = n == 0 ? kEmptyPhoneCount : n;
}

QStringList decodePhoneNumber(ConstFieldBytes field) {
    requireSize(field, 17, "phone number field is 17 bytes");
    return readDigits(field);
}

void encodePrefix(FieldBytes field, const QStringList& cells) {
    requireSize(field, 9, "prefix field is 9 bytes");
    field[0] = writeDigits(field, cells);
}

QStringList decodePrefix(ConstFieldBytes field) {
    requireSize(field, 9, "prefix field is 9 bytes");
    return readDigits(field);
}

void encodeEventCode(FieldBytes field, const QStringList& cells) {
    requireSize(field, 2, "event code field is 2 bytes");
    std::array<std::uint8_t, 4> positions{};
    std::size_t yielded = 0;
    for (const QString& cell : cells) {
        if (cell.isEmpty())
            continue;
        const QChar c = cell.front();
        std::uint8_t value;
        if (isAsciiDigit(c))
            value = static_cast<std::uint8_t>(c.unicode() - '0');
        else if (c == QLatin1Char('*'))
            value = kStar;
        else
            continue;
        // A fifth value means the cells were not a code of four positions.
        if (yielded == positions.size()) {
            ++yielded;
            break;
        }
        positions[yielded++] = value;
    }
    field[0] = kNoCode;
    field[1] = kNoCode;
    if (yielded == positions.size()) {
        field[0] = static_cast<std::uint8_t>(positions[0] << 4 | positions[1]);
        field[1] = static_cast<std::uint8_t>(positions[2] << 4 | positions[3]);
    }
}

QStringList decodeEventCode(ConstFieldBytes field) {
    requireSize(field, 2, "event code field is 2 bytes");
    const QString blank(1, QLatin1Char(' '));
    QStringList cells{blank, blank, blank, blank};
    if (field[0] == kNoCode && field[1] == kNoCode)
        return cells;
    const std::array<std::uint8_t, 4> positions{
        static_cast<std::uint8_t>(field[0] >> 4), static_cast<std::uint8_t>(field[0] & 0x0F),
        static_cast<std::uint8_t>(field[1] >> 4), static_cast<std::uint8_t>(field[1] & 0x0F)};
    for (qsizetype i = 0; i < 4; ++i) {
        const std::uint8_t p = positions[static_cast<std::size_t>(i)];
        if (p <= 9)
            cells[i] = QChar(static_cast<char16_t>(u'0' + p));
        else if (p == kStar)
            cells[i] = QStringLiteral("*");
    }
    return cells;
}

void encodeSmsText(FieldBytes field, const QByteArray& text) {
    requireSize(field, 41, "SMS text field is 41 bytes");
    writeCounted(field, text, true);
}

QByteArray decodeSmsText(ConstFieldBytes field) {
    requireSize(field, 41, "SMS text field is 41 bytes");
    QByteArray text = readCounted(field, true);
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == ' ')
        --end;
    text.truncate(end);
    return text;
}

void encodeCountedText(FieldBytes field, const QByteArray& text) {
    if (field.size() < 2)
        throw std::invalid_argument("counted text needs a count byte and at least one character");
    QByteArray kept;
    kept.reserve(text.size());
    for (char c : text)
        if (static_cast<std::uint8_t>(c) != kPad && static_cast<std::uint8_t>(c) != kQuote)
            kept.append(c);
    writeCounted(field, kept, false);
}

QByteArray decodeCountedText(ConstFieldBytes field) {
    if (field.size() < 2)
        throw std::invalid_argument("counted text needs a count byte and at least one character");
    return readCounted(field, false);
}

std::uint8_t encodeFlag(FlagRule rule, int value) {
    switch (rule) {
    case FlagRule::NonZero:
    case FlagRule::ExactlyOne:
        return value != 0 ? 1 : 0;
    case FlagRule::BellBits:
        return static_cast<std::uint8_t>(value & 0x03);
    case FlagRule::None:
        break;
    }
    throw std::invalid_argument("not a flag byte");
}

int decodeFlag(FlagRule rule, std::uint8_t byte) {
    switch (rule) {
    case FlagRule::NonZero:
        return byte != 0 ? 1 : 0;
    case FlagRule::ExactlyOne:
        return byte == 1 ? 1 : 0;
    case FlagRule::BellBits:
        return byte & 0x03;
    case FlagRule::None:
        break;
    }
    throw std::invalid_argument("not a flag byte");
}

std::uint8_t encodeTimer(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

void encodeWord16BE(FieldBytes field, int value) {
    requireSize(field, 2, "16-bit field is 2 bytes");
    const int v = std::clamp(value, 0, 0xFFFF);
    field[0] = static_cast<std::uint8_t>(v / 256);
    field[1] = static_cast<std::uint8_t>(v % 256);
}

int decodeWord16BE(ConstFieldBytes field) {
    requireSize(field, 2, "16-bit field is 2 bytes");
    return field[0] * 256 + field[1];
}

void encodeIPv4(FieldBytes field, const Octets& octets) {
    requireSize(field, 4, "address field is 4 bytes");
    std::copy(octets.begin(), octets.end(), field.begin());
}

Octets decodeIPv4(ConstFieldBytes field) {
    requireSize(field, 4, "address field is 4 bytes");
    Octets octets;
    std::copy(field.begin(), field.end(), octets.begin());
    return octets;
}

void encodeReceiver(FieldBytes field, const Octets& octets, int port) {
    requireSize(field, 8, "receiver is 8 bytes");
    encodeIPv4(field.subspan(0, 4), octets);
    encodeWord16BE(field.subspan(4, 2), port);
    field[6] = 0;
    field[7] = 0;
}

FieldBytes fieldBytes(ImageBytes& image, const FieldSpec& spec) {
    return FieldBytes(image).subspan(spec.offset, spec.size());
}

ConstFieldBytes fieldBytes(const ImageBytes& image, const FieldSpec& spec) {
    return ConstFieldBytes(image).subspan(spec.offset, spec.size());
}

FieldValue decodeField(const ImageBytes& image, const FieldSpec& spec) {
    const ConstFieldBytes bytes = fieldBytes(image, spec);
    switch (spec.kind) {
    case FieldKind::PhoneNumberField:
        return decodePhoneNumber(bytes);
    case FieldKind::PrefixField:
        return decodePrefix(bytes);
    case FieldKind::EventCodeField:
        return decodeEventCode(bytes);
    case FieldKind::SmsTextField:
        return decodeSmsText(bytes);
    case FieldKind::CountedText:
        return decodeCountedText(bytes);
    case FieldKind::FlagByte:
        return decodeFlag(spec.flagRule, bytes[0]);
    case FieldKind::TimerByte:
        return int{bytes[0]};
    case FieldKind::Word16BE:
        return decodeWord16BE(bytes);
    case FieldKind::IPv4Address:
        return decodeIPv4(bytes);
    case FieldKind::ZeroPair:
        return std::monostate{};
    }
    throw std::invalid_argument("unknown field kind");
}

void encodeField(ImageBytes& image, const FieldSpec& spec, const FieldValue& value) {
    const FieldBytes bytes = fieldBytes(image, spec);
    switch (spec.kind) {
    case FieldKind::PhoneNumberField:
        return encodePhoneNumber(bytes, valueAs<QStringList>(value, spec));
    case FieldKind::PrefixField:
        return encodePrefix(bytes, valueAs<QStringList>(value, spec));
    case FieldKind::EventCodeField:
        return encodeEventCode(bytes, valueAs<QStringList>(value, spec));
    case FieldKind::SmsTextField:
        return encodeSmsText(bytes, valueAs<QByteArray>(value, spec));
    case FieldKind::CountedText:
        return encodeCountedText(bytes, valueAs<QByteArray>(value, spec));
    case FieldKind::FlagByte:
        bytes[0] = encodeFlag(spec.flagRule, valueAs<int>(value, spec));
        return;
    case FieldKind::TimerByte:
        bytes[0] = encodeTimer(valueAs<int>(value, spec));
        return;
    case FieldKind::Word16BE:
        return encodeWord16BE(bytes, valueAs<int>(value, spec));
    case FieldKind::IPv4Address:
        return encodeIPv4(bytes, valueAs<Octets>(value, spec));
    case FieldKind::ZeroPair:
        bytes[0] = 0;
        bytes[1] = 0;
        return;
    }
    throw std::invalid_argument("unknown field kind");
}

QString displayValue(const ImageBytes& image, const FieldSpec& spec) {
    const FieldValue value = decodeField(image, spec);
    const auto yesNo = [](bool on) { return on ? QStringLiteral("Igen") : QStringLiteral("Nem"); };
    switch (spec.kind) {
    case FieldKind::PhoneNumberField:
    case FieldKind::PrefixField:
    case FieldKind::EventCodeField:
        return std::get<QStringList>(value).join(QString()).remove(QLatin1Char(' '));
    case FieldKind::SmsTextField:
    case FieldKind::CountedText:
        return fromCp1250(std::get<QByteArray>(value));
    case FieldKind::FlagByte: {
        const int flag = std::get<int>(value);
        if (spec.flagRule == FlagRule::BellBits)
            return QStringLiteral("Csak a listás számokról: %1, visszahívás: %2")
                .arg(yesNo((flag & 1) != 0), yesNo((flag & 2) != 0));
        return yesNo(flag != 0);
    }
    case FieldKind::TimerByte:
    case FieldKind::Word16BE:
        return QString::number(std::get<int>(value));
    case FieldKind::IPv4Address: {
        const Octets o = std::get<Octets>(value);
        return QStringLiteral("%1.%2.%3.%4").arg(o[0]).arg(o[1]).arg(o[2]).arg(o[3]);
    }
    case FieldKind::ZeroPair:
        break;
    }
    return QString();
}

} // namespace vantrel
