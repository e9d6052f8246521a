// Whole random images through the editor: what LoadFromImage shows survives StoreToImage and a second
// LoadFromImage, and a canonical image is not changed by a store.
#include "params/ImageLayout.h"
#include "tests/params/EditorHarness.h"
#include "tests/params/RandomImage.h"

#include <QTabWidget>

using namespace vantrel;
using vantrel::test::EditorTest;

class SettingsFormProperty : public EditorTest {};

TEST_F(SettingsFormProperty, CanonicalImagesShowTheSameAfterStoringAndChangeNoByte) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 60; ++round) {
        image = test::canonicalImage(rng);
        const ImageBytes original = image;
        form().LoadFromImage();
        const test::Snapshot first = test::snapshot(form());
        form().StoreToImage();
        ASSERT_EQ(image, original) << "round " << round;
        form().LoadFromImage();
        ASSERT_EQ(test::snapshot(form()), first) << "round " << round;
    }
}

TEST_F(SettingsFormProperty, AnyImageIsCanonicalAfterOneStore) {
    std::mt19937 rng(1027);
    for (int round = 0; round < 60; ++round) {
        image = test::damagedImage(rng);
        const ImageBytes original = image;
        form().LoadFromImage();
        form().StoreToImage();
        const ImageBytes once = image;
        for (std::size_t i = 0; i < ImageSize; ++i) {
            if (!isFieldByte(i)) {
                ASSERT_EQ(once[i], original[i]) << "spare byte " << i << " round " << round;
            }
        }
        form().LoadFromImage();
        const test::Snapshot shown = test::snapshot(form());
        form().StoreToImage();
        ASSERT_EQ(image, once) << "round " << round;
        form().LoadFromImage();
        ASSERT_EQ(test::snapshot(form()), shown) << "round " << round;
    }
}

TEST_F(SettingsFormProperty, HiddenTabsMakeNoDifference) {
    std::mt19937 rng(960);
    auto* pages = control<QTabWidget>(QStringLiteral("PageControl1"));
    ASSERT_NE(pages, nullptr);
    for (const char* name : {"TabSheetDRAVO", "TabSheetGPRS", "TabSheetBELL103"})
        pages->removeTab(pages->indexOf(pages->findChild<QWidget*>(QLatin1String(name))));
    ASSERT_EQ(pages->count(), 4);
    for (int round = 0; round < 30; ++round) {
        image = test::canonicalImage(rng);
        const ImageBytes original = image;
        form().LoadFromImage();
        form().StoreToImage();
        ASSERT_EQ(image, original) << "round " << round;
    }
}
