// Random parameter images, written byte by byte from the layout's rules rather than through the codecs, so
// that the codecs are checked against an independent picture of the canonical form.
#include "tests/params/RandomImage.h"

#include "params/ImageLayout.h"

#include <algorithm>

namespace vantrel::test {

namespace {

int uniform(std::mt19937& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

std::uint8_t digit(std::mt19937& rng) {
    return static_cast<std::uint8_t>('0' + uniform(rng, 0, 9));
}

// A text byte that a store writes unchanged: never 00 or FF (skipped when read) and never one of the bytes
// the kind rewrites.
std::uint8_t textByte(std::mt19937& rng, FieldKind kind) {
    for (;;) {
        const auto b = static_cast<std::uint8_t>(uniform(rng, 0x01, 0xFE));
        if (kind == FieldKind::SmsTextField && b == 0xDB)
            continue;
        if (kind == FieldKind::CountedText && (b == 0x20 || b == 0x22))
            continue;
        return b;
    }
}

void writeCanonical(ImageBytes& image, const FieldSpec& spec, std::mt19937& rng) {
    std::uint8_t* f = image.data() + spec.offset;
    const int cap = spec.capacity;
    switch (spec.kind) {
    case FieldKind::PhoneNumberField:
    case FieldKind::PrefixField: {
        const int n = uniform(rng, 0, cap);
        std::fill(f, f + spec.size(), std::uint8_t{0});
        f[0] = (n == 0 && spec.kind == FieldKind::PhoneNumberField) ? 0xFF : static_cast<std::uint8_t>(n);
        for (int i = 0; i < n; ++i)
            f[1 + i] = digit(rng);
        break;
    }
    case FieldKind::EventCodeField:
        if (uniform(rng, 0, 3) == 0) {
            f[0] = f[1] = 0xFF;
        } else {
            f[0] = static_cast<std::uint8_t>(uniform(rng, 0, 10) << 4 | uniform(rng, 0, 10));
            f[1] = static_cast<std::uint8_t>(uniform(rng, 0, 10) << 4 | uniform(rng, 0, 10));
        }
        break;
    case FieldKind::SmsTextField:
    case FieldKind::CountedText: {
        const int n = uniform(rng, 0, cap);
        std::fill(f, f + spec.size(), std::uint8_t{0x20});
        f[0] = static_cast<std::uint8_t>(n);
        for (int i = 0; i < n; ++i)
            f[1 + i] = textByte(rng, spec.kind);
        // A stored SMS text never ends in a space that the reader would trim away.
        if (spec.kind == FieldKind::SmsTextField && n > 0 && f[n] == 0x20)
            f[n] = 'x';
        break;
    }
    case FieldKind::FlagByte:
        f[0] = static_cast<std::uint8_t>(uniform(rng, 0, spec.flagRule == FlagRule::BellBits ? 3 : 1));
        break;
    case FieldKind::TimerByte:
        f[0] = static_cast<std::uint8_t>(uniform(rng, 0, spec.maximum));
        break;
    case FieldKind::Word16BE: {
        const int v = uniform(rng, 0, spec.maximum);
        f[0] = static_cast<std::uint8_t>(v >> 8);
        f[1] = static_cast<std::uint8_t>(v & 0xFF);
        break;
    }
    case FieldKind::IPv4Address:
        for (int i = 0; i < 4; ++i)
            f[i] = static_cast<std::uint8_t>(uniform(rng, 0, 255));
        break;
    case FieldKind::ZeroPair:
        f[0] = f[1] = 0;
        break;
    }
}

} // namespace

ImageBytes canonicalImage(std::mt19937& rng) {
    ImageBytes image;
    for (auto& b : image)
        b = static_cast<std::uint8_t>(uniform(rng, 0, 255));
    for (const FieldSpec& spec : ImageLayout)
        writeCanonical(image, spec, rng);
    return image;
}

ImageBytes damagedImage(std::mt19937& rng) {
    ImageBytes image = canonicalImage(rng);
    for (const FieldSpec& spec : ImageLayout) {
        const int choice = uniform(rng, 0, 3);
        if (choice == 0)
            continue;
        const int size = static_cast<int>(spec.size());
        // Either a few bytes of the field (often the count) or the whole field replaced.
        const int hits = choice == 3 ? size : uniform(rng, 1, 3);
        for (int i = 0; i < hits; ++i) {
            const int at = choice == 3 ? i : (uniform(rng, 0, 1) == 0 ? 0 : uniform(rng, 0, size - 1));
            image[spec.offset + static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(uniform(rng, 0, 255));
        }
    }
    return image;
}

} // namespace vantrel::test
