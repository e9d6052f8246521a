// The layout table against the editor: what the editor keeps of any image is exactly what the JSON values
// (without raw bytes) say, field by field.
#include "report/ImageDiff.h"
#include "report/ParameterJson.h"
#include "tests/params/EditorHarness.h"
#include "tests/params/RandomImage.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace vantrel;
using vantrel::test::EditorTest;

class ReportEditor : public EditorTest {};

TEST_F(ReportEditor, EveryFieldRoundTripsThroughEditorAndJson) {
    std::mt19937 rng(314);
    for (int round = 0; round < 40; ++round) {
        const ImageBytes original = round % 2 ? test::damagedImage(rng) : test::canonicalImage(rng);
        image = original;
        form().LoadFromImage();
        form().StoreToImage();
        const ImageBytes stored = image;

        // The values alone, onto the original: the editor's canonical form of every field.
        QJsonObject root = QJsonDocument::fromJson(exportJson(original)).object();
        root.remove(QStringLiteral("raw"));
        ImageBytes fromValues = original;
        const auto error = importJson(QJsonDocument(root).toJson(), fromValues);
        ASSERT_FALSE(error) << error->english.toStdString();
        // Fields whose bytes no accepted value can say (a partial event code, a count beyond the field) travel
        // raw only; the others must be exactly what the editor keeps.
        const QJsonObject fields = root.value(QStringLiteral("fields")).toObject();
        for (const DiffRow& row : diffImages(fromValues, stored))
            if (!row.field || fields.contains(row.name)) {
                ADD_FAILURE() << "round " << round << ": " << row.name.toStdString() << " json "
                              << row.left.toStdString() << " editor " << row.right.toStdString();
            }

        ImageBytes back = freshImage();
        ASSERT_FALSE(importJson(exportJson(stored), back));
        ASSERT_EQ(back, stored);
        if (::testing::Test::HasFailure())
            return;
    }
}
