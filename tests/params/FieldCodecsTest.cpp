// Encode and decode rules of every field kind, one table per kind, edge cases of the module's layout.
#include "params/FieldCodecs.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vantrel;

namespace {

using Bytes = std::vector<std::uint8_t>;

// head, then fill up to size.
Bytes bytes(std::initializer_list<int> head, std::size_t size, std::uint8_t fill) {
    Bytes out;
    for (int b : head)
        out.push_back(static_cast<std::uint8_t>(b));
    out.resize(size, fill);
    return out;
}

QStringList cells(std::initializer_list<const char*> texts, qsizetype count) {
    QStringList out;
    for (const char* t : texts)
        out << QString::fromLatin1(t);
    while (out.size() < count)
        out << QString();
    return out;
}

QByteArray latin(const char* text) {
    return QByteArray(text);
}

QString hex(const Bytes& b) {
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size())).toHex(' ').toUpper());
}

} // namespace

TEST(PhoneNumberField, Encode) {
    struct Row {
        const char* what;
        QStringList cells;
        Bytes expected;
    };
    const Row rows[] = {
        {"empty row", cells({}, 16), bytes({0xFF}, 17, 0x00)},
        {"three digits", cells({"1", "2", "3"}, 16), bytes({3, '1', '2', '3'}, 17, 0x00)},
        {"gaps squeezed", cells({"3", "6", "", "", "", "9"}, 16), bytes({3, '3', '6', '9'}, 17, 0x00)},
        {"first character counts", cells({"7x", " 8", "-", "9"}, 16), bytes({2, '7', '9'}, 17, 0x00)},
        {"full row", cells({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "1", "2", "3", "4", "5"}, 16),
         bytes({16, '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '1', '2', '3', '4', '5'}, 17, 0x00)},
        {"only non-digits", cells({"*", "a", " "}, 16), bytes({0xFF}, 17, 0x00)},
    };
    for (const Row& row : rows) {
        Bytes field(17, 0xAA);
        encodePhoneNumber(field, row.cells);
        EXPECT_EQ(hex(field), hex(row.expected)) << row.what;
    }
}

TEST(PhoneNumberField, Decode) {
    struct Row {
        const char* what;
        Bytes field;
        QStringList expected;
    };
    const Row rows[] = {
        {"fresh", bytes({}, 17, 0xFF), cells({}, 16)},
        {"canonical empty", bytes({0xFF}, 17, 0x00), cells({}, 16)},
        {"three digits", bytes({3, '1', '2', '3'}, 17, 0x00), cells({"1", "2", "3"}, 16)},
        {"count limits the digits", bytes({2, '1', '2', '3'}, 17, 0x00), cells({"1", "2"}, 16)},
        {"non-digit inside shows as gap", bytes({3, '1', 'A', '3'}, 17, 0x00), cells({"1", "", "3"}, 16)},
        {"count 16", bytes({16}, 17, '5'), QStringList(16, QStringLiteral("5"))},
        {"count above 16 is empty", bytes({17}, 17, '5'), cells({}, 16)},
        {"count 0", bytes({0, '1'}, 17, 0x00), cells({}, 16)},
    };
    for (const Row& row : rows)
        EXPECT_EQ(decodePhoneNumber(row.field), row.expected) << row.what;
}

TEST(PrefixField, EncodeAndDecode) {
    Bytes field(9, 0xAA);
    encodePrefix(field, cells({}, 8));
    EXPECT_EQ(hex(field), hex(bytes({0}, 9, 0x00))) << "empty prefix has count 0, not FF";
    encodePrefix(field, cells({"0", "", "6"}, 8));
    EXPECT_EQ(hex(field), hex(bytes({2, '0', '6'}, 9, 0x00)));
    // More counting cells than slots: the slots take the first eight.
    encodePrefix(field, QStringList(10, QStringLiteral("4")));
    EXPECT_EQ(hex(field), hex(bytes({8}, 9, '4')));

    EXPECT_EQ(decodePrefix(bytes({}, 9, 0xFF)), cells({}, 8));
    EXPECT_EQ(decodePrefix(bytes({9}, 9, '1')), cells({}, 8)) << "count above 8 is empty";
    EXPECT_EQ(decodePrefix(bytes({8}, 9, '1')), QStringList(8, QStringLiteral("1")));
    Bytes tooLong(17);
    EXPECT_THROW(encodePrefix(tooLong, {}), std::invalid_argument);
}

TEST(EventCodeField, Encode) {
    struct Row {
        const char* what;
        QStringList cells;
        int byte0;
        int byte1;
    };
    const Row rows[] = {
        {"four digits", {"1", "2", "3", "4"}, 0x12, 0x34},
        {"stars are 10", {"*", "0", "*", "9"}, 0xA0, 0xA9},
        {"three of four is no code", {"1", "2", "", "4"}, 0xFF, 0xFF},
        {"blank shown as space is no code", {"1", " ", "3", "4"}, 0xFF, 0xFF},
        {"letters are no position", {"A", "1", "2", "3"}, 0xFF, 0xFF},
        {"all blank", {" ", " ", " ", " "}, 0xFF, 0xFF},
        {"zeros", {"0", "0", "0", "0"}, 0x00, 0x00},
    };
    for (const Row& row : rows) {
        Bytes field(2, 0x55);
        encodeEventCode(field, row.cells);
        EXPECT_EQ(field[0], row.byte0) << row.what;
        EXPECT_EQ(field[1], row.byte1) << row.what;
    }
}

TEST(EventCodeField, Decode) {
    struct Row {
        Bytes field;
        QStringList expected;
    };
    const Row rows[] = {
        {{0xFF, 0xFF}, {" ", " ", " ", " "}}, {{0x12, 0x34}, {"1", "2", "3", "4"}},
        {{0xA0, 0xA9}, {"*", "0", "*", "9"}}, {{0xBC, 0xDE}, {" ", " ", " ", " "}},
        {{0xFF, 0x12}, {" ", " ", "1", "2"}}, {{0x00, 0x00}, {"0", "0", "0", "0"}},
        {{0x1F, 0xF2}, {"1", " ", " ", "2"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(decodeEventCode(row.field), row.expected) << hex(row.field).toStdString();
}

TEST(SmsTextField, EncodeAndDecode) {
    struct Row {
        const char* what;
        QByteArray text;
        Bytes stored;
        QByteArray readBack;
    };
    const Row rows[] = {
        {"empty", {}, bytes({0}, 41, 0x20), {}},
        {"trailing space counted, trimmed on read", latin("Riaszt "),
         bytes({7, 'R', 'i', 'a', 's', 'z', 't', ' '}, 41, 0x20), latin("Riaszt")},
        {"inner spaces and dollar kept", latin("a $ b"), bytes({5, 'a', ' ', '$', ' ', 'b'}, 41, 0x20), latin("a $ b")},
        {"U double acute goes out as U diaeresis",
         QByteArray("\xDB"
                    "R",
                    2),
         bytes({2, 0xDC, 'R'}, 41, 0x20),
         QByteArray("\xDC"
                    "R",
                    2)},
        {"cut at 40", QByteArray(45, 'x'), bytes({40}, 41, 'x'), QByteArray(40, 'x')},
    };
    for (const Row& row : rows) {
        Bytes field(41, 0xAA);
        encodeSmsText(field, row.text);
        EXPECT_EQ(hex(field), hex(row.stored)) << row.what;
        EXPECT_EQ(decodeSmsText(field), row.readBack) << row.what;
    }
}

TEST(SmsTextField, DecodeOddBytes) {
    EXPECT_EQ(decodeSmsText(bytes({}, 41, 0xFF)), QByteArray()) << "fresh image";
    EXPECT_EQ(decodeSmsText(bytes({41}, 41, 'x')), QByteArray()) << "count above 40";
    EXPECT_EQ(decodeSmsText(bytes({5, 'a', 0x00, 'b', 0xFF, 'c'}, 41, 0x20)), latin("abc"));
    EXPECT_EQ(decodeSmsText(bytes({3, 0xDB, ' ', ' '}, 41, 0x20)), QByteArray("\xDB", 1)) << "read unchanged";
    EXPECT_EQ(decodeSmsText(bytes({4, ' ', 'a', ' ', 0x00}, 41, 0x20)), latin(" a")) << "leading space stays";
}

TEST(CountedText, EncodeAndDecode) {
    struct Row {
        const char* what;
        std::size_t capacity;
        QByteArray text;
        Bytes stored;
    };
    const Row rows[] = {
        {"empty APN", 37, {}, bytes({0}, 38, 0x20)},
        {"password with a space", 20, latin("a b"), bytes({2, 'a', 'b'}, 21, 0x20)},
        {"quotes removed", 20, latin("\"x\"y"), bytes({2, 'x', 'y'}, 21, 0x20)},
        {"40-character APN cut to 37", 37, QByteArray(40, 'n'), bytes({37}, 38, 'n')},
        {"20 characters fit exactly", 20, QByteArray(20, 'u'), bytes({20}, 21, 'u')},
    };
    for (const Row& row : rows) {
        Bytes field(row.capacity + 1, 0xAA);
        encodeCountedText(field, row.text);
        EXPECT_EQ(hex(field), hex(row.stored)) << row.what;
    }
    EXPECT_EQ(decodeCountedText(bytes({8, 'i', 'n', 't', 'e', 'r', 'n', 'e', 't'}, 38, 0x20)), latin("internet"));
    EXPECT_EQ(decodeCountedText(bytes({3, 'a', 'b', ' '}, 21, 0x20)), latin("ab ")) << "no trimming";
    EXPECT_EQ(decodeCountedText(bytes({3, 'a', 0x00, 0xFF}, 21, 0x20)), latin("a"));
    EXPECT_EQ(decodeCountedText(bytes({38}, 38, 'n')), QByteArray()) << "count above 37";
    EXPECT_EQ(decodeCountedText(bytes({}, 21, 0xFF)), QByteArray()) << "fresh image";
}

TEST(FlagByte, ReadAndWrite) {
    struct Row {
        FlagRule rule;
        int byte;
        int value;
    };
    const Row decodes[] = {
        {FlagRule::NonZero, 0x00, 0},  {FlagRule::NonZero, 0x01, 1},    {FlagRule::NonZero, 0xFF, 1},
        {FlagRule::NonZero, 0x02, 1},  {FlagRule::ExactlyOne, 0x01, 1}, {FlagRule::ExactlyOne, 0xFF, 0},
        {FlagRule::ExactlyOne, 2, 0},  {FlagRule::ExactlyOne, 0, 0},    {FlagRule::BellBits, 0xFF, 3},
        {FlagRule::BellBits, 0x05, 1}, {FlagRule::BellBits, 0x02, 2},   {FlagRule::BellBits, 0x00, 0},
    };
    for (const Row& row : decodes)
        EXPECT_EQ(decodeFlag(row.rule, static_cast<std::uint8_t>(row.byte)), row.value) << row.byte;
    EXPECT_EQ(encodeFlag(FlagRule::NonZero, 1), 1);
    EXPECT_EQ(encodeFlag(FlagRule::ExactlyOne, 0), 0);
    EXPECT_EQ(encodeFlag(FlagRule::BellBits, 3), 3);
    EXPECT_EQ(encodeFlag(FlagRule::BellBits, 2), 2);
    EXPECT_THROW(encodeFlag(FlagRule::None, 1), std::invalid_argument);
}

TEST(NumericFields, TimersAndWords) {
    EXPECT_EQ(encodeTimer(0), 0);
    EXPECT_EQ(encodeTimer(255), 255);
    EXPECT_EQ(encodeTimer(300), 255) << "never wraps";
    EXPECT_EQ(encodeTimer(-4), 0);

    struct Row {
        int value;
        Bytes stored;
    };
    const Row rows[] = {{8080, {0x1F, 0x90}},  {32767, {0x7F, 0xFF}}, {0, {0, 0}}, {256, {1, 0}},
                        {65535, {0xFF, 0xFF}}, {70000, {0xFF, 0xFF}}, {-1, {0, 0}}};
    for (const Row& row : rows) {
        Bytes field(2, 0xAA);
        encodeWord16BE(field, row.value);
        EXPECT_EQ(hex(field), hex(row.stored)) << row.value;
    }
    EXPECT_EQ(decodeWord16BE(Bytes{0x1F, 0x90}), 8080);
    EXPECT_EQ(decodeWord16BE(Bytes{0xFF, 0xFF}), 65535);
}

TEST(Receiver, AddressPortAndTwoZeros) {
    Bytes field(8, 0xAA);
    encodeReceiver(field, Octets{192, 168, 0, 1}, 8080);
    EXPECT_EQ(hex(field), hex(Bytes{0xC0, 0xA8, 0x00, 0x01, 0x1F, 0x90, 0x00, 0x00}));
    Bytes tooLong(10);
    EXPECT_THROW(encodeReceiver(tooLong, {}, 0), std::invalid_argument);
    EXPECT_EQ(decodeIPv4(Bytes{10, 1, 2, 3}), (Octets{10, 1, 2, 3}));
}

TEST(FieldByTable, GenericAccessFollowsTheKind) {
    ImageBytes image = freshImage();
    encodeField(image, layoutField("USER1"), QStringList{"0", "6", "3", "0"});
    EXPECT_EQ(image[51], 4);
    EXPECT_EQ(image[52], '0');
    EXPECT_EQ(image[50], 0xFF) << "byte before the field untouched";
    EXPECT_EQ(image[68], 0xFF) << "byte after the field untouched";
    EXPECT_EQ(std::get<QStringList>(decodeField(image, layoutField("USER1"))).mid(0, 4),
              (QStringList{"0", "6", "3", "0"}));

    encodeField(image, layoutField("Port2Tail"), std::monostate{});
    EXPECT_EQ(image[976], 0);
    EXPECT_EQ(image[977], 0);
    encodeField(image, layoutField("BELLFlags"), 2);
    EXPECT_EQ(image[876], 2);
    EXPECT_EQ(std::get<int>(decodeField(image, layoutField("ServerID"))), 65535);

    EXPECT_THROW(encodeField(image, layoutField("SMS1"), 5), std::invalid_argument);
    EXPECT_THROW(encodeField(image, layoutField("REL1"), QByteArray("x")), std::invalid_argument);
}
