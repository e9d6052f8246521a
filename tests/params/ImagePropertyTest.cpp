// Whole images through the codecs, the way the editor uses them: decode every field (numbers held by
// spin boxes that stop at the field's range), encode every field back, decode again.
#include "params/FieldCodecs.h"
#include "tests/params/RandomImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace vantrel;

namespace {

using View = std::vector<FieldValue>;

View viewOf(const ImageBytes& image) {
    View view;
    for (const FieldSpec& spec : ImageLayout) {
        FieldValue value = decodeField(image, spec);
        if (spec.kind == FieldKind::TimerByte || spec.kind == FieldKind::Word16BE)
            value = std::min(std::get<int>(value), spec.maximum);
        view.push_back(value);
    }
    return view;
}

ImageBytes stored(ImageBytes image, const View& view) {
    for (std::size_t i = 0; i < ImageLayout.size(); ++i)
        encodeField(image, ImageLayout[i], view[i]);
    return image;
}

// What a view turns into after one store: the losses the layout itself prescribes.
FieldValue canonical(const FieldSpec& spec, FieldValue value) {
    switch (spec.kind) {
    case FieldKind::PhoneNumberField:
    case FieldKind::PrefixField: {
        QStringList cells = std::get<QStringList>(value);
        const qsizetype count = cells.size();
        cells.removeAll(QString());
        while (cells.size() < count)
            cells.append(QString());
        return cells;
    }
    case FieldKind::EventCodeField: {
        const QStringList cells = std::get<QStringList>(value);
        return cells.contains(QStringLiteral(" ")) ? QStringList(4, QStringLiteral(" ")) : cells;
    }
    case FieldKind::SmsTextField:
        return std::get<QByteArray>(value).replace('\xDB', '\xDC');
    case FieldKind::CountedText:
        return std::get<QByteArray>(value).replace(" ", "").replace("\"", "");
    default:
        return value;
    }
}

void expectSpareBytesKept(const ImageBytes& before, const ImageBytes& after) {
    for (std::size_t i = 0; i < ImageSize; ++i) {
        if (!isFieldByte(i)) {
            ASSERT_EQ(before[i], after[i]) << "spare byte " << i;
        }
    }
}

} // namespace

TEST(ImageProperty, CanonicalImagesSurviveLoadAndStoreUnchanged) {
    std::mt19937 rng(1088);
    for (int round = 0; round < 400; ++round) {
        const ImageBytes image = test::canonicalImage(rng);
        const View view = viewOf(image);
        const ImageBytes again = stored(image, view);
        ASSERT_EQ(again, image) << "round " << round;
        ASSERT_EQ(viewOf(again), view) << "round " << round;
    }
}

TEST(ImageProperty, AnyImageBecomesCanonicalAfterOneStore) {
    std::mt19937 rng(960);
    for (int round = 0; round < 400; ++round) {
        const ImageBytes image = test::damagedImage(rng);
        const View first = viewOf(image);
        const ImageBytes once = stored(image, first);
        expectSpareBytesKept(image, once);
        const View second = viewOf(once);
        for (std::size_t i = 0; i < ImageLayout.size(); ++i)
            ASSERT_EQ(second[i], canonical(ImageLayout[i], first[i])) << ImageLayout[i].name << " round " << round;
        ASSERT_EQ(stored(once, second), once) << "a second store changes nothing, round " << round;
    }
}

TEST(ImageProperty, FreshImageStoresTheDocumentedDefaults) {
    const ImageBytes fresh = freshImage();
    const ImageBytes once = stored(fresh, viewOf(fresh));
    const ImageBytes expected = test::freshImageStored();
    for (std::size_t i = 0; i < ImageSize; ++i)
        EXPECT_EQ(once[i], expected[i]) << "offset " << i;
}
