// The parameter editor on arbitrary images: LoadFromImage then StoreToImage, as a confirmed editor does,
// on the real window (offscreen, created once).
//
// Input: the image; a shorter input leaves the rest of a fresh image (0xFF), bytes beyond 1088 are unused.
//
// Checked: spare bytes are never touched; the stored image is the canonical form of what was loaded,
// field by field, as the encodings describe it (worked out here from the field table alone); and a second
// load and store changes no byte.
#include "common/Cp1250.h"
#include "fuzz/FuzzSupport.h"
#include "params/ImageLayout.h"
#include "params/ui/TSettingsForm.h"

#include <QDir>
#include <algorithm>
#include <cstdint>

namespace {

using namespace vantrel;
using fuzz::require;

TSettingsForm* editor = nullptr;
ImageBytes image;

// What the editor's controls make of a text: Windows-1250 to the window and back.
QByteArray throughTheWindow(const QByteArray& bytes) {
    return toCp1250(fromCp1250(bytes));
}

// The digits a digit field shows: the count's worth of digitSlots (none when the count is too high), each a
// digit or a gap.
QByteArray shownDigits(const std::uint8_t* field, std::size_t digitSlots) {
    QByteArray digits;
    const std::size_t n = field[0] <= digitSlots ? field[0] : 0;
    for (std::size_t i = 0; i < n; ++i)
        if (field[1 + i] >= '0' && field[1 + i] <= '9')
            digits.append(static_cast<char>(field[1 + i]));
    return digits;
}

QByteArray shownText(const std::uint8_t* field, std::size_t capacity) {
    QByteArray text;
    const std::size_t n = field[0] <= capacity ? field[0] : 0;
    for (std::size_t i = 0; i < n; ++i)
        if (field[1 + i] != 0x00 && field[1 + i] != 0xFF)
            text.append(static_cast<char>(field[1 + i]));
    return text;
}

void putCounted(std::uint8_t* field, std::size_t capacity, const QByteArray& text) {
    const std::size_t n = std::min<std::size_t>(capacity, static_cast<std::size_t>(text.size()));
    field[0] = static_cast<std::uint8_t>(n);
    for (std::size_t i = 0; i < capacity; ++i)
        field[1 + i] = i < n ? static_cast<std::uint8_t>(text[static_cast<qsizetype>(i)]) : 0x20;
}

void putWord(std::uint8_t* field, int value) {
    field[0] = static_cast<std::uint8_t>(value >> 8);
    field[1] = static_cast<std::uint8_t>(value & 0xFF);
}

// The canonical form of one field, from its bytes in the loaded image.
void canonicalField(const FieldSpec& spec, const ImageBytes& from, ImageBytes& to) {
    const std::uint8_t* in = from.data() + spec.offset;
    std::uint8_t* out = to.data() + spec.offset;
    switch (spec.kind) {
    case FieldKind::PhoneNumberField:
    case FieldKind::PrefixField: {
        const std::size_t digitSlots = spec.size() - 1;
        const QByteArray digits = shownDigits(in, digitSlots);
        const bool phone = spec.kind == FieldKind::PhoneNumberField;
        out[0] = digits.isEmpty() && phone ? 0xFF : static_cast<std::uint8_t>(digits.size());
        for (std::size_t i = 0; i < digitSlots; ++i)
            out[1 + i] = i < static_cast<std::size_t>(digits.size()) ? static_cast<std::uint8_t>(digits[i]) : 0x00;
        break;
    }
    case FieldKind::EventCodeField: {
        // A code survives only with all four positions showing (0-9 or "*"); else it becomes no code.
        const bool noCode = in[0] == 0xFF && in[1] == 0xFF;
        const std::uint8_t positions[4] = {static_cast<std::uint8_t>(in[0] >> 4), static_cast<std::uint8_t>(in[0] & 15),
                                           static_cast<std::uint8_t>(in[1] >> 4),
                                           static_cast<std::uint8_t>(in[1] & 15)};
        const bool whole = !noCode && std::all_of(positions, positions + 4, [](std::uint8_t p) { return p <= 10; });
        out[0] = whole ? in[0] : 0xFF;
        out[1] = whole ? in[1] : 0xFF;
        break;
    }
    case FieldKind::SmsTextField: {
        QByteArray text = throughTheWindow(shownText(in, 40));
        while (text.endsWith(' '))
            text.chop(1);
        text.replace('\xDB', '\xDC'); // the module's stand-in for the capital U with double acute
        putCounted(out, 40, text);
        break;
    }
    case FieldKind::CountedText: {
        const std::size_t capacity = spec.size() - 1;
        QByteArray text = throughTheWindow(shownText(in, capacity));
        text.replace(" ", "").replace("\"", "");
        putCounted(out, capacity, text);
        break;
    }
    case FieldKind::FlagByte:
        switch (spec.flagRule) {
        case FlagRule::NonZero:
            out[0] = in[0] != 0 ? 1 : 0;
            break;
        case FlagRule::ExactlyOne:
            out[0] = in[0] == 1 ? 1 : 0;
            break;
        case FlagRule::BellBits:
            out[0] = in[0] & 3;
            break;
        case FlagRule::None:
            require(false, "a flag field without a rule");
            break;
        }
        break;
    case FieldKind::TimerByte:
        out[0] = static_cast<std::uint8_t>(std::min<int>(in[0], spec.maximum));
        break;
    case FieldKind::Word16BE:
        putWord(out, std::min(in[0] * 256 + in[1], spec.maximum));
        break;
    case FieldKind::IPv4Address:
        std::copy(in, in + 4, out);
        break;
    case FieldKind::ZeroPair:
        out[0] = out[1] = 0;
        break;
    }
}

ImageBytes canonicalImage(const ImageBytes& loaded) {
    ImageBytes canonical = loaded;
    for (const FieldSpec& spec : ImageLayout)
        canonicalField(spec, loaded, canonical);
    return canonical;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startOffscreenApplication();
    // The editor looks for APNs.dat in the working directory: an empty one keeps the built-in list.
    QDir::setCurrent(fuzz::scratchDirectory());
    editor = new TSettingsForm(image); // lives as long as the process, like the tool's one editor
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    image = freshImage();
    std::copy_n(data, std::min(size, ImageSize), image.begin());
    const ImageBytes loaded = image;

    editor->LoadFromImage();
    // What the editor would list before storing: any image at all must give a list, never a fault. A
    // second showing of a stored image has nothing left to correct.
    (void)editor->storeCorrections();
    editor->StoreToImage();
    const ImageBytes once = image;
    for (std::size_t i = 0; i < ImageSize; ++i)
        if (!isFieldByte(i))
            require(once[i] == loaded[i], "a spare byte was written");
    require(once == canonicalImage(loaded), "the stored image is not the canonical form of the loaded one");

    editor->LoadFromImage();
    require(editor->storeCorrections().isEmpty(), "a stored image still has values to correct");
    editor->StoreToImage();
    require(image == once, "a second load and store changed the image");
    return 0;
}
