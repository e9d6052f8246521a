// Differences, JSON/CSV exchange and assignments over parameter images, checked through the layout table.
#include "report/ImageDiff.h"
#include "report/ParameterJson.h"
#include "report/ParameterSheet.h"
#include "tests/params/RandomImage.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

ImageBytes randomBytes(std::mt19937& rng) {
    ImageBytes image;
    for (auto& b : image)
        b = static_cast<std::uint8_t>(rng());
    return image;
}

} // namespace

TEST(SpareRanges, CoverExactlyTheBytesNoFieldCovers) {
    std::size_t covered = 0;
    for (const SpareRange& range : SpareRanges) {
        covered += range.size;
        for (std::size_t i = range.offset; i < range.end(); ++i)
            ASSERT_FALSE(isFieldByte(i)) << i;
        ASSERT_TRUE(range.offset == 0 || isFieldByte(range.offset - 1));
        ASSERT_TRUE(range.end() == ImageSize || isFieldByte(range.end()));
    }
    std::size_t fieldBytes = 0;
    for (const FieldSpec& spec : ImageLayout)
        fieldBytes += spec.size();
    EXPECT_EQ(covered + fieldBytes, ImageSize);
    for (const FieldSpec& spec : ImageLayout)
        EXPECT_EQ(spec.shownByEditor(), spec.kind != FieldKind::ZeroPair) << spec.name;
}

TEST(ImageDiff, ModuleDifferingInKnownFieldsGivesExactlyThoseRows) {
    std::mt19937 rng(7);
    const ImageBytes reference = test::canonicalImage(rng);
    ImageBytes module = reference;
    ASSERT_FALSE(applyAssignment(QStringLiteral("SMS3=\"Betörés, 100%\""), module));
    ASSERT_FALSE(applyAssignment(QStringLiteral("Event4=12*4"), module));
    module[SpareRanges[0].offset] ^= 0x5A;
    module[1000] ^= 1; // beyond the module's pages: a module compare must not see it
    module[963] ^= 1;  // IPAddress1, beyond 960 too
    const auto rows = diffImages(module, reference, 0, TransferLength);
    std::vector<QString> names;
    for (const DiffRow& row : rows)
        names.push_back(row.name);
    const std::vector<QString> expected{QStringLiteral("spare"), QStringLiteral("Event4"), QStringLiteral("SMS3")};
    ASSERT_EQ(names, expected);
    const DiffRow& sms = rows.back();
    EXPECT_EQ(sms.where, QStringLiteral("SMS szövegek / 3. SMS"));
    EXPECT_EQ(sms.left, QStringLiteral("Betörés, 100%"));
    EXPECT_EQ(sms.right, displayValue(reference, layoutField("SMS3")));
    EXPECT_EQ(rows[1].left, QStringLiteral("12*4"));
    EXPECT_EQ(rows.front().size, 1u);
    // Scripts get commas; spreadsheets set to Hungarian get semicolons and a byte-order mark.
    const QString plain = diffCsv(rows, QStringLiteral("Modul"), QStringLiteral("Fájl"));
    EXPECT_TRUE(plain.startsWith(QStringLiteral("name,tab/label,offset,size,Modul,Fájl\n")));
    EXPECT_TRUE(plain.contains(QStringLiteral("\"Betörés, 100%\"")));
    ASSERT_FALSE(applyAssignment(QStringLiteral("SMS3=\"Betörés; 100%\""), module));
    const QString sheet = diffCsv(diffImages(module, reference, 0, TransferLength), QStringLiteral("Modul; A"),
                                  QStringLiteral("Fájl"), CsvStyle::Spreadsheet);
    EXPECT_TRUE(sheet.startsWith(QStringLiteral("\uFEFFname;tab/label;offset;size;\"Modul; A\";Fájl\n")))
        << sheet.toStdString();
    EXPECT_TRUE(sheet.contains(QStringLiteral(";\"Betörés; 100%\";"))) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains(QStringLiteral("SMS3;SMS szövegek / 3. SMS;")));
    EXPECT_EQ(diffText(rows).count(QLatin1Char('\n')), static_cast<qsizetype>(rows.size()));
    // Two files: the whole image counts.
    EXPECT_EQ(diffImages(module, reference).size(), rows.size() + 2);
    EXPECT_TRUE(diffImages(module, module).empty());
}

TEST(ParameterJson, AnyImageRoundTripsByteIdentically) {
    std::mt19937 rng(99);
    for (int round = 0; round < 200; ++round) {
        const ImageBytes original = round % 3 == 0   ? randomBytes(rng)
                                    : round % 3 == 1 ? test::damagedImage(rng)
                                                     : test::canonicalImage(rng);
        ImageBytes back = freshImage();
        const auto error = importJson(exportJson(original), back);
        ASSERT_FALSE(error) << error->english.toStdString();
        for (const DiffRow& row : diffImages(back, original))
            ADD_FAILURE() << row.name.toStdString() << " " << row.left.toStdString() << " / "
                          << row.right.toStdString();
        ASSERT_EQ(back, original) << "round " << round;
        ImageBytes zeros{};
        ASSERT_FALSE(importJson(exportJson(original), zeros));
        ASSERT_EQ(zeros, original) << "round " << round;
    }
    // A canonical image needs no raw bytes but the value-less zero pairs: every value says it all.
    const ImageBytes canonical = test::canonicalImage(rng);
    const QJsonObject raw =
        QJsonDocument::fromJson(exportJson(canonical)).object().value(QStringLiteral("raw")).toObject();
    for (auto it = raw.begin(); it != raw.end(); ++it)
        EXPECT_EQ(findField(it.key().toStdString())->kind, FieldKind::ZeroPair) << it.key().toStdString();
    EXPECT_TRUE(exportCsv(canonical).startsWith(QStringLiteral("name,tab,label,offset,size,value,hex\nAUTODIAL,")));
    EXPECT_TRUE(exportCsv(canonical, CsvStyle::Spreadsheet)
                    .startsWith(QStringLiteral("\uFEFFname;tab;label;offset;size;value;hex\nAUTODIAL;")));
}

TEST(ParameterJson, TemplateChangesOnlyItsFieldsAndAssignmentsShareTheRules) {
    std::mt19937 rng(5);
    const ImageBytes base = test::canonicalImage(rng);
    ImageBytes image = base;
    ASSERT_FALSE(importJson(R"({"format":"vantrel5-parameters","version":1,
        "fields":{"SMS1":"Riasztás","CallMax":10,"IPAddress1":"10.0.0.5","GPRSmode":true,"USER1":"3620123"}})",
                            image));
    for (const FieldSpec& spec : ImageLayout) {
        const std::string_view n = spec.name;
        if (n != "SMS1" && n != "CallMax" && n != "IPAddress1" && n != "GPRSmode" && n != "USER1") {
            EXPECT_EQ(displayValue(image, spec), displayValue(base, spec)) << n;
        }
    }
    EXPECT_EQ(displayValue(image, layoutField("SMS1")), QStringLiteral("Riasztás"));
    EXPECT_EQ(displayValue(image, layoutField("CallMax")), QStringLiteral("10"));
    EXPECT_EQ(displayValue(image, layoutField("IPAddress1")), QStringLiteral("10.0.0.5"));
    EXPECT_EQ(displayValue(image, layoutField("GPRSmode")), QStringLiteral("Igen"));
    EXPECT_EQ(displayValue(image, layoutField("USER1")), QStringLiteral("3620123"));

    ImageBytes assigned = base;
    for (const char* a : {"SMS1=\"Riasztás\"", "CallMax=10", "IPAddress1=10.0.0.5", "GPRSmode=true", "USER1=3620123"})
        ASSERT_FALSE(applyAssignment(QString::fromUtf8(a), assigned)) << a;
    EXPECT_EQ(assigned, image);
}

TEST(ParameterJson, RefusalsNameFieldAndRuleAndLeaveTheImageAlone) {
    struct Case {
        const char* json;
        const char* field;
        const char* ruleWord; // a word of the Hungarian rule
    };
    const Case cases[] = {
        {R"({"format":"vantrel5-parameters","version":1,"fields":{"Nope":1}})", "Nope", "nincs ilyen"},
        {R"({"format":"vantrel5-parameters","version":1,"fields":{"CallMax":26}})", "CallMax", "0 és 25"},
        {R"({"format":"vantrel5-parameters","version":1,"fields":{"CallMax":"10"}})", "CallMax", "egész"},
        {R"({"format":"vantrel5-parameters","version":1,"fields":{"SMS1":5}})", "SMS1", "szöveg"},
        {R"({"format":"vantrel5-parameters","version":1,"fields":{"USER1":"12a"}})", "USER1", "számjegy"},
        {R"({"format":"vantrel5-parameters","version":1,"fields":{"IPAddress2":"1.2.3.256"}})", "IPAddress2", "IP"},
        {R"({"format":"vantrel5-parameters","version":1,"fields":{"Event1":"12"}})", "Event1", "négy"},
        {R"({"format":"vantrel5-parameters","version":1,"fields":{"SMS1":"ok"},"raw":{"SMS2":"00"}})", "raw.SMS2",
         "bájt"},
        {R"({"format":"vantrel5-parameters","version":1,"spare":[{"offset":0,"hex":"00"}]})", "spare[0]", "tartalék"},
        {R"({"format":"vantrel5-parameters","version":2})", "version", "változat"},
        {R"({"format":"other","version":1})", "format", "vantrel5"},
        {R"({"format":"vantrel5-parameters","version":1,"fields":{"CallMax":1},"extra":0})", "extra", "ismeretlen"},
        {R"({"format":"vantrel5-parameters",)", "", "hibás JSON"},
        {R"([1,2])", "", "nem objektum"},
    };
    std::mt19937 rng(3);
    const ImageBytes base = test::damagedImage(rng);
    for (const Case& c : cases) {
        ImageBytes image = base;
        const auto error = importJson(QByteArray(c.json), image);
        ASSERT_TRUE(error) << c.json;
        EXPECT_EQ(error->field, QString::fromUtf8(c.field)) << c.json;
        EXPECT_TRUE(error->hungarian.contains(QString::fromUtf8(c.ruleWord))) << error->hungarian.toStdString();
        EXPECT_FALSE(error->english.isEmpty());
        EXPECT_EQ(image, base) << c.json;
    }
    for (const char* a : {"CallMax=x", "Nope=1", "=1", "SMS1=\"unterminated", "APN=a b"}) {
        ImageBytes image = base;
        EXPECT_TRUE(applyAssignment(QString::fromUtf8(a), image)) << a;
        EXPECT_EQ(image, base) << a;
    }
}

TEST(ParameterSheet, VisibleTabsInOrderThenHiddenFieldsEveryShownFieldOnce) {
    std::mt19937 rng(11);
    const ImageBytes image = test::canonicalImage(rng);
    const auto sheet = parameterSheet(image);
    std::vector<QString> titles;
    std::size_t rows = 0;
    int codes = 0;
    for (const SheetSection& section : sheet) {
        titles.push_back(section.title);
        for (const SheetRow& row : section.rows) {
            ++rows;
            EXPECT_EQ(row.value, displayValue(image, *row.field));
            EXPECT_EQ(section.title == QStringLiteral("Rejtett lapok"), !row.field->visibleToInstaller())
                << row.field->name;
            // An event code is printed on the row of the SMS text it selects, never on a row of its own.
            EXPECT_NE(row.field->kind, FieldKind::EventCodeField) << row.field->name;
            if (row.codeField == nullptr)
                continue;
            ++rows;
            ++codes;
            EXPECT_EQ(row.codeField->name.substr(5), row.field->name.substr(3)); // Event4 with SMS4
            EXPECT_EQ(row.code, displayValue(image, *row.codeField));
        }
    }
    EXPECT_EQ(codes, 10);
    EXPECT_EQ(titles, (std::vector<QString>{QStringLiteral("Telefonszámok"), QStringLiteral("SMS szövegek"),
                                            QStringLiteral("Híváskorlátozás"), QStringLiteral("Kimenet vezérlés"),
                                            QStringLiteral("Rejtett lapok")}));
    std::size_t shown = 0;
    for (const FieldSpec& spec : ImageLayout)
        shown += spec.shownByEditor() ? 1 : 0;
    EXPECT_EQ(rows, shown);
    EXPECT_TRUE(sheetCsv(sheet).startsWith(QStringLiteral("section,label,value\nTelefonszámok,")));
}
