// The chooser's rules that need no window: typed numbers, added lines, display names, centring.
#include "serial/ports/PortChoice.h"
#include "serial/ports/PortEntry.h"

#include <gtest/gtest.h>
#include <limits>

using namespace vantrel::ports;

TEST(PortChoice, LeadingIntegerReadsWhatPrecedesTheFirstNonDigit) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"5", 5},
        {"12abc", 12},
        {"7x", 7},
        {"  9", 9},
        {"\t3", 3},
        {"+8", 8},
        {"-3", -3},
        {"0", 0},
        {"100", 100},
        {"text", 0},
        {"", 0},
        {"-", 0},
        {"x12", 0},
        {"1 2", 1},
        {"99", 99},
        {"007", 7},
        {" -0012z", -12},
        {"٣", 0},
        {"99999999999999", std::numeric_limits<int>::max()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LeadingInteger(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(PortChoice, UserLinesAndDisplayNames) {
    const QString line = UserPortLine(5);
    EXPECT_EQ(line, QStringLiteral("+Sajátport (COM5);(user defined port)"));
    EXPECT_EQ(EntryName(line), QStringLiteral("Sajátport (COM5)"));
    EXPECT_EQ(EntryDescription(line), QStringLiteral("(user defined port)"));
    EXPECT_EQ(PortNumberOf(line), 5);

    EXPECT_EQ(DisplayNameOf(line), QStringLiteral("Sajátport (COM5)"));
    EXPECT_EQ(DisplayNameOf(QStringLiteral("+Modem: fast (COM4);m : x")), QStringLiteral("Modem"));
    EXPECT_EQ(DisplayNameOf(QStringLiteral("-:x (COM4);m")), QString());
    EXPECT_EQ(DisplayNameOf(QStringLiteral("no separator")), QString());
}

TEST(PortChoice, CentredTopRowKeepsTheViewInsideTheList) {
    const struct {
        int row, rows, visible, top;
    } cases[] = {
        {14, 20, 8, 10}, {19, 20, 8, 12}, {0, 20, 8, 0}, {3, 20, 8, 0}, {4, 20, 8, 0},
        {5, 20, 8, 1},   {2, 5, 8, 0},    {0, 1, 8, 0},  {7, 9, 8, 1},  {6, 20, 7, 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CentredTopRow(c.row, c.rows, c.visible), c.top) << c.row << "/" << c.rows << "/" << c.visible;
}
