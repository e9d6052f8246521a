// Assembling module text pieces into lines.
#include "protocol/ui/MemoBox.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

QStringList feed(MemoBox& box, std::initializer_list<const char*> pieces) {
    for (const char* piece : pieces)
        appendPiece(box, QByteArray(piece));
    return box.lines();
}

} // namespace

TEST(AppendToMemo, PiecesOverSeveralFramesJoinIntoLines) {
    MemoBox box;
    EXPECT_EQ(feed(box, {"AB", "C\r", "\nDE"}), (QStringList{"ABC", "DE"}));
    EXPECT_EQ(box.tag(), 0);
}

TEST(AppendToMemo, RepeatedCarriageReturnsLeaveOneBlankLines) {
    MemoBox box;
    EXPECT_EQ(feed(box, {"X\r\r\rY"}), (QStringList{"X", " ", " ", "Y"}));
}

TEST(AppendToMemo, LineFeedsBetweenCarriageReturnsDoNotCount) {
    MemoBox box;
    feed(box, {"Q"});
    EXPECT_EQ(feed(box, {"\r\n\r\nZ"}), (QStringList{"Q", " ", "Z"}));
}

TEST(AppendToMemo, CarriageReturnAtTheEndOfAPieceOpensTheNextLineLater) {
    MemoBox box;
    feed(box, {"abc\r"});
    EXPECT_EQ(box.lines(), QStringList{"abc"});
    EXPECT_EQ(box.tag(), 1);
    EXPECT_EQ(feed(box, {"K"}), (QStringList{"abc", "K"}));
}

TEST(AppendToMemo, TagSurvivesClearing) {
    MemoBox box;
    feed(box, {"abc\r"});
    box.clear();
    EXPECT_EQ(box.tag(), 1);
    EXPECT_EQ(feed(box, {"Z"}), QStringList{"Z"});
}

TEST(AppendToMemo, WindowsCodePageCharacters) {
    MemoBox box;
    EXPECT_EQ(feed(box, {"\xE1rv\xEDzt\xFBr\xF5"}), QStringList{QStringLiteral("árvíztűrő")});
}

TEST(AppendToMemo, FirstCarriageReturnIntoAnEmptyBoxAddsNothing) {
    MemoBox box;
    feed(box, {"\r"});
    EXPECT_TRUE(box.lines().isEmpty());
    EXPECT_EQ(feed(box, {"\rA"}), (QStringList{" ", "A"}));
}

TEST(AppendToMemo, ABoxKeepsOnlyTheLastLines) {
    MemoBox box;
    QByteArray flood;
    for (int i = 0; i < MemoLineLimit + 100; ++i)
        flood += "L" + QByteArray::number(i) + "\r";
    appendPiece(box, flood);
    appendPiece(box, "Z");
    const QStringList lines = box.lines();
    ASSERT_EQ(lines.size(), MemoLineLimit);
    EXPECT_EQ(lines.first(), QStringLiteral("L101"));
    EXPECT_EQ(lines.last(), QStringLiteral("Z"));
}

TEST(CompletedLines, EachLineOnceWhenItsCarriageReturnComesAndBlankOnesNot) {
    CompletedLines lines;
    for (const char* piece : {"AB", "C\r", "\nD\xF5", "\r\r  \r", "F"})
        appendPiece(lines, QByteArray(piece));
    EXPECT_EQ(lines.takeCompleted(), (QStringList{"ABC", "Dő"}));
    EXPECT_TRUE(lines.takeCompleted().isEmpty());
    appendPiece(lines, "G\r");
    EXPECT_EQ(lines.takeCompleted(), QStringList{"FG"});
}
