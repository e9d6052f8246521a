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

ImageBytes freshImageStored() {
    ImageBytes expected = freshImage();
    auto put = [&expected](std::size_t offset, std::initializer_list<int> head, std::size_t size, int fill) {
        std::fill_n(expected.begin() + static_cast<std::ptrdiff_t>(offset), size, static_cast<std::uint8_t>(fill));
        std::size_t i = offset;
        for (int b : head)
            expected[i++] = static_cast<std::uint8_t>(b);
    };
    for (std::size_t o : {0, 17, 34, 51, 68, 143, 160, 177, 194, 212, 229, 246, 263, 842, 859})
        put(o, {0xFF}, 17, 0x00);
    put(85, {0}, 9, 0x00);
    put(102, {0}, 9, 0x00);
    put(211, {1}, 1, 0);
    // REL1 and REL2 keep 255; CallMax and the 16-bit values stop at their spin box's limit.
    put(280, {0xFF, 0xFF, 25}, 3, 0);
    for (std::size_t k = 0; k < 13; ++k)
        put(309 + 41 * k, {0}, 41, 0x20);
    put(876, {3, 0}, 2, 0);
    put(878, {0}, 38, 0x20);
    put(916, {0}, 21, 0x20);
    put(937, {0}, 21, 0x20);
    put(958, {0}, 1, 0);
    put(960, {0x7F, 0xFF}, 2, 0);
    for (std::size_t r = 0; r < 4; ++r)
        put(962 + 8 * r, {0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x00, 0x00}, 8, 0);
    put(1026, {0x7F, 0xFF}, 2, 0);
    return expected;
}

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
