// The layout table against the module's memory map: where each field lies and which bytes are spare.
#include "params/ImageLayout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace vantrel;

namespace {

std::set<std::size_t> spareBytesOfTheModule() {
    std::set<std::size_t> spare;
    auto range = [&spare](std::size_t first, std::size_t last) {
        for (std::size_t i = first; i <= last; ++i)
            spare.insert(i);
    };
    range(94, 101);
    range(111, 142);
    range(303, 308);
    range(959, 959);
    range(994, 1025);
    range(1028, 1087);
    return spare;
}

} // namespace

TEST(ImageLayout, SpareBytesAreExactlyTheUnusedAddresses) {
    const std::set<std::size_t> expected = spareBytesOfTheModule();
    for (std::size_t offset = 0; offset < ImageSize; ++offset)
        EXPECT_EQ(isFieldByte(offset), !expected.contains(offset)) << "offset " << offset;
}

TEST(ImageLayout, FieldsLieAtTheModulesAddresses) {
    struct Row {
        std::string_view name;
        std::size_t offset;
        std::size_t size;
        FieldKind kind;
    };
    const Row rows[] = {
        {"AUTODIAL", 0, 17, FieldKind::PhoneNumberField},
        {"USER2", 68, 17, FieldKind::PhoneNumberField},
        {"NETPREFIX", 85, 9, FieldKind::PrefixField},
        {"ADDFIX", 102, 9, FieldKind::PrefixField},
        {"PhnrEnabled4", 194, 17, FieldKind::PhoneNumberField},
        {"CallFilter", 211, 1, FieldKind::FlagByte},
        {"RelPhnrEnabled1", 212, 17, FieldKind::PhoneNumberField},
        {"CallMax", 282, 1, FieldKind::TimerByte},
        {"Event1", 283, 2, FieldKind::EventCodeField},
        {"Event10", 301, 2, FieldKind::EventCodeField},
        {"SMS1", 309, 41, FieldKind::SmsTextField},
        {"SMS13", 801, 41, FieldKind::SmsTextField},
        {"BELLFlags", 876, 1, FieldKind::FlagByte},
        {"APN", 878, 38, FieldKind::CountedText},
        {"UserName", 916, 21, FieldKind::CountedText},
        {"PWD", 937, 21, FieldKind::CountedText},
        {"GPRSmode", 958, 1, FieldKind::FlagByte},
        {"PanelID", 960, 2, FieldKind::Word16BE},
        {"IPAddress1", 962, 4, FieldKind::IPv4Address},
        {"Port1", 966, 2, FieldKind::Word16BE},
        {"Port1Tail", 968, 2, FieldKind::ZeroPair},
        {"IPAddress4", 986, 4, FieldKind::IPv4Address},
        {"Port4Tail", 992, 2, FieldKind::ZeroPair},
        {"ServerID", 1026, 2, FieldKind::Word16BE},
    };
    for (const Row& row : rows) {
        const FieldSpec* spec = findField(row.name);
        ASSERT_NE(spec, nullptr) << row.name;
        EXPECT_EQ(spec->offset, row.offset) << row.name;
        EXPECT_EQ(spec->size(), row.size) << row.name;
        EXPECT_EQ(spec->kind, row.kind) << row.name;
    }
    for (int k = 1; k <= 10; ++k)
        EXPECT_EQ(findField("Event" + std::to_string(k))->offset, 283u + 2u * (k - 1u));
    for (int k = 1; k <= 13; ++k)
        EXPECT_EQ(findField("SMS" + std::to_string(k))->offset, 309u + 41u * (k - 1u));
}

TEST(ImageLayout, ReceiverBlockStaysOutsideTheTransferredPages) {
    for (const FieldSpec& spec : ImageLayout) {
        const bool receiverBlock = spec.name == "PanelID" || spec.name == "ServerID" ||
                                   spec.name.starts_with("IPAddress") || spec.name.starts_with("Port");
        EXPECT_EQ(spec.offset >= TransferLength, receiverBlock) << spec.name;
        EXPECT_TRUE(spec.end() <= TransferLength || spec.offset >= TransferLength) << spec.name;
    }
}

TEST(ImageLayout, EditorRangesAreThoseOfTheControls) {
    EXPECT_EQ(layoutField("CallMax").maximum, 25);
    EXPECT_EQ(layoutField("REL1").maximum, 255);
    EXPECT_EQ(layoutField("Port3").maximum, 32767);
    EXPECT_EQ(layoutField("ServerID").maximum, 32767);
    EXPECT_EQ(layoutField("APN").capacity, 37);
    EXPECT_EQ(layoutField("SMS7").capacity, 40);
    EXPECT_EQ(layoutField("ADDFIX").capacity, 8);
    EXPECT_EQ(findField("NoSuchField"), nullptr);
}
