// The port line rules: names, descriptions, port numbers, ordering and lookup.
#include "serial/ports/PortEntry.h"

#include <gtest/gtest.h>

using namespace vantrel::ports;

namespace {

struct TextCase {
    const char* line;
    const char* expected;
};

struct NumberCase {
    const char* text;
    int expected;
};

QString u(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

TEST(PortEntry, EntryNameDropsTheMarkerAndStopsAtTheFirstSeparator) {
    const TextCase cases[] = {
        {"+Serial Port (COM1);Maker B : Modem C", "Serial Port (COM1)"},
        {"-Serial Port (COM5);Maker A", "Serial Port (COM5)"},
        {"Serial Port (COM5);Maker A", "Serial Port (COM5)"},
        {"+Sajátport (COM5);(user defined port)", "Sajátport (COM5)"},
        {"+a;b;c", "a"},
        {"+;description", ""},
        {";description", ""},
        {"no separator (COM3)", ""},
        {"", ""},
        {"*x;y", "*x"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(EntryName(u(c.line)), u(c.expected)) << c.line;
}

TEST(PortEntry, EntryDescriptionNeedsTwoCharactersAfterTheSeparator) {
    const TextCase cases[] = {
        {"+Serial Port (COM1);Maker B : Modem C", "Maker B : Modem C"},
        {"+Port (COM1);", ""},  // empty manufacturer
        {"+Port (COM1);X", ""}, // one character is not enough
        {"+Port (COM1);XY", "XY"},
        {"a;b;c", "b;c"},
        {"+Sajátport (COM5);(user defined port)", "(user defined port)"},
        {"", ""},
        {"a", ""},
        {"ab", "ab"}, // no separator: position 0, so the whole line
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(EntryDescription(u(c.line)), u(c.expected)) << c.line;
}

TEST(PortEntry, PortNumberOfReadsNamesAndLines) {
    const NumberCase cases[] = {
        {"Port (COM12)", 12},
        {"COM7", 7},
        {"COM12", 12},
        {"Serial Port", 0},
        {"(COM3", 0},                  // no closing bracket
        {"(COM3) and then (COM4)", 3}, // the first one counts
        {"Modem (com3)", 0},           // upper case only
        {"+Serial Port (COM1);Maker B : Modem C", 1},
        {"-Serial Port (COM5);Maker A", 5},
        {"(COM port) (COM5)", 0}, // not a number: 0, and it must not throw
        {"COMx", 0},
        {"COM", 0},
        {"com7", 0},
        {"Port (COM99999999999)", 0}, // does not fit
        {"Port (COM)", 0},
        {"Port (COM 4)", 4}, // blanks around the number are allowed
        {"COM-3", -3},
        {"x (COM3;y)", 0}, // the bracket closes after the separator: not a number
        {"", 0},
    };
    for (const NumberCase& c : cases)
        EXPECT_EQ(PortNumberOf(u(c.text)), c.expected) << c.text;
}

TEST(PortEntry, SortIsStableWithNumberZeroFirst) {
    QStringList list{"+B (COM3);1", "no number;x", "-A (COM1);1", "+C (COM3);2", "(COM port);y", "-D (COM3);3"};
    SortByPortNumber(list);
    EXPECT_EQ(list,
              (QStringList{"no number;x", "(COM port);y", "-A (COM1);1", "+B (COM3);1", "+C (COM3);2", "-D (COM3);3"}));
    QStringList empty;
    SortByPortNumber(empty);
    EXPECT_TRUE(empty.isEmpty());
}

TEST(PortEntry, FindPortEntryTakesTheNumberModulo256) {
    const QStringList list{"A (COM2);x", "B (COM5);x", "C (COM5);y", "D (COM255);z"};
    EXPECT_EQ(FindPortEntry(list, 5), 1);   // the first of two
    EXPECT_EQ(FindPortEntry(list, 261), 1); // 261 wraps to 5
    EXPECT_EQ(FindPortEntry(list, -1), 3);  // -1 wraps to 255
    EXPECT_EQ(FindPortEntry(list, 7), -1);
    EXPECT_EQ(FindPortEntry({}, 5), -1);
    EXPECT_EQ(FindPortEntry({"D (COM300);z"}, 300), -1); // the line's own number is not wrapped
}
