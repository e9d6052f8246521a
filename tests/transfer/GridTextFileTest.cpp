// The grid text file: the exact bytes written, and how every kind of line is read back.
#include "transfer/GridTextFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

struct GridFiles : ::testing::Test {
    QTemporaryDir dir;
    QString path(const char* name = "grid.ini") const { return dir.filePath(QString::fromLatin1(name)); }
    void writeRaw(const QByteArray& bytes, const char* name = "grid.ini") const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readRaw(const char* name = "grid.ini") const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    CellTable portTable(const QString& port) const {
        CellTable t(2, 1);
        t.setColWidth(0, 20);
        t.setColWidth(1, 20);
        t.setCell(0, 0, port);
        return t;
    }
    CellTable loaded(const QByteArray& bytes, CellTable table = CellTable(2, 1)) {
        writeRaw(bytes);
        LoadCellsFromFile(table, path());
        return table;
    }
};

} // namespace

TEST_F(GridFiles, PortFileRoundTrip) {
    SaveCellsToFile(portTable(QStringLiteral("COM3")), path());
    EXPECT_EQ(readRaw(), QByteArray("2,1\r\ncw 0,20\r\ncw 1,20\r\n0,0,COM3\r\n"));
    CellTable back(1, 1);
    LoadCellsFromFile(back, path());
    EXPECT_EQ(back.ColCount(), 2);
    EXPECT_EQ(back.RowCount(), 1);
    EXPECT_EQ(back.cell(0, 0), QStringLiteral("COM3"));
    EXPECT_EQ(back.colWidth(1), 20);
}

TEST_F(GridFiles, EmptyCellsWriteNoLine) {
    SaveCellsToFile(portTable(QString()), path());
    EXPECT_EQ(readRaw(), QByteArray("2,1\r\ncw 0,20\r\ncw 1,20\r\n"));
}

TEST_F(GridFiles, CommasInsideACellSurviveTheRoundTrip) {
    CellTable t(2, 1);
    t.setCell(1, 0, QStringLiteral("a,b"));
    SaveCellsToFile(t, path());
    EXPECT_TRUE(readRaw().endsWith("1,0,a,b\r\n"));
    CellTable back(2, 1);
    LoadCellsFromFile(back, path());
    EXPECT_EQ(back.cell(1, 0), QStringLiteral("a,b"));
}

TEST_F(GridFiles, LineBreaksInsideCells) {
    CellTable t(1, 3);
    t.setCell(0, 0, QStringLiteral("A\r\nB"));
    t.setCell(0, 1, QStringLiteral("A\rB"));
    t.setCell(0, 2, QStringLiteral("A\nB\tC"));
    SaveCellsToFile(t, path());
    EXPECT_EQ(readRaw(), QByteArray("1,3\r\ncw 0,64\r\n0,0,A\t\bB\r\n0,1,A\tB\r\n0,2,A\nB\tC\r\n"));

    CellTable multi(1, 3);
    multi.Multilinecells = true;
    LoadCellsFromFile(multi, path());
    EXPECT_EQ(multi.cell(0, 0), QStringLiteral("A\r\nB"));
    EXPECT_EQ(multi.cell(0, 1), QStringLiteral("A\tB")); // no BS: not decoded
    EXPECT_EQ(multi.cell(0, 2), QStringLiteral("A\nB\tC"));

    CellTable single(1, 3);
    LoadCellsFromFile(single, path());
    EXPECT_EQ(single.cell(0, 0), QStringLiteral("A"));
    EXPECT_EQ(single.cell(0, 1), QStringLiteral("A\tB"));
}

TEST_F(GridFiles, MalformedLinesDegradeInsteadOfFailing) {
    CellTable t = loaded("2,1\r\n\r\n", [] {
        CellTable x(2, 1);
        x.setCell(0, 0, QStringLiteral("old"));
        return x;
    }());
    EXPECT_EQ(t.cell(0, 0), QString()); // an empty line empties cell (0, 0)
    EXPECT_EQ(loaded("2,1\r\nxyz\r\n").cell(0, 0), QStringLiteral("xyz"));
    EXPECT_EQ(loaded("2,1\r\n1,xyz\r\n").cell(1, 0), QStringLiteral("xyz"));
    EXPECT_EQ(loaded("2,1\r\n 1 ,0,x\r\n").cell(1, 0), QStringLiteral("x"));
    EXPECT_EQ(loaded("2,1\r\nfoo,bar,baz\r\n").cell(0, 0), QStringLiteral("baz"));
    // Cells and widths outside the table are skipped.
    const CellTable out = loaded("2,1\r\n5,0,x\r\n0,1,y\r\n-1,0,z\r\ncw 7,99\r\ncw 1,33\r\n");
    EXPECT_EQ(out.cell(0, 0), QString());
    EXPECT_EQ(out.colWidth(1), 33);
}

TEST_F(GridFiles, HeaderRules) {
    const CellTable zero = loaded("0,0\r\n");
    EXPECT_EQ(zero.ColCount(), 1);
    EXPECT_EQ(zero.RowCount(), 1);
    const CellTable neg = loaded("-3,x\r\n");
    EXPECT_EQ(neg.ColCount(), 1);
    EXPECT_EQ(neg.RowCount(), 1);
    const CellTable keep = loaded("\r\n1,0,kept\r\n", CellTable(3, 2));
    EXPECT_EQ(keep.ColCount(), 3);
    EXPECT_EQ(keep.RowCount(), 2);
    EXPECT_EQ(keep.cell(1, 0), QStringLiteral("kept"));
    EXPECT_THROW(loaded("2000000000,1\r\n"), EGridError);
}

TEST_F(GridFiles, HeaderOnlyFileKeepsEveryCell) {
    CellTable t(2, 1);
    t.setCell(0, 0, QStringLiteral("COM4"));
    t.setCell(1, 0, QStringLiteral("x"));
    const CellTable back = loaded("2,1", t);
    EXPECT_EQ(back.cell(0, 0), QStringLiteral("COM4"));
    EXPECT_EQ(back.cell(1, 0), QStringLiteral("x"));
}

TEST_F(GridFiles, LineEndsAndEndOfTextByte) {
    // LF alone belongs to the line; CR alone ends it; 0x1A ends the text.
    const CellTable t = loaded("1,2\r0,0,a\nb\r0,1,c\x1A\r\n0,1,d\r\n", CellTable());
    EXPECT_EQ(t.cell(0, 0), QStringLiteral("a\nb"));
    EXPECT_EQ(t.cell(0, 1), QStringLiteral("c"));
}

TEST_F(GridFiles, TextIsWindows1250) {
    CellTable t(1, 1);
    t.setCell(0, 0, QStringLiteral("Sajátport ő"));
    SaveCellsToFile(t, path());
    EXPECT_TRUE(readRaw().endsWith("0,0,Saj\xE1tport \xF5\r\n"));
}

TEST_F(GridFiles, NumbersAreReadUpToTheFirstNonDigit) {
    const std::pair<const char*, int> rows[] = {{"12", 12}, {"  7x", 7}, {"+3", 3},  {"-4", -4},
                                                {"", 0},    {"x1", 0},   {"- 5", 0}, {"99999999999999", 2147483647}};
    for (const auto& [text, value] : rows)
        EXPECT_EQ(readGridNumber(QString::fromLatin1(text)), value) << text;
}

TEST_F(GridFiles, FilesThatCannotBeOpenedOrCreated) {
    CellTable t(2, 1);
    t.setCell(0, 0, QStringLiteral("same"));
    try {
        LoadCellsFromFile(t, path("missing.ini"));
        FAIL();
    } catch (const EGridError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Cannot open file ") + path("missing.ini"));
    }
    EXPECT_THROW(LoadCellsFromFile(t, dir.path()), EGridError); // a directory
    EXPECT_EQ(t.cell(0, 0), QStringLiteral("same"));
    try {
        SaveCellsToFile(t, dir.filePath(QStringLiteral("no/such/dir/x.ini")));
        FAIL();
    } catch (const EGridError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Cannot Create ") + dir.filePath(QStringLiteral("no/such/dir/x.ini")));
    }
    EXPECT_THROW(SaveCellsToFile(t, dir.path()), EGridError);
}

TEST_F(GridFiles, SavingReplacesTheFileWholeAndLeavesNoTemporaryFile) {
    writeRaw(QByteArray(5000, 'x'));
    SaveCellsToFile(portTable(QStringLiteral("COM2")), path());
    EXPECT_EQ(readRaw(), QByteArray("2,1\r\ncw 0,20\r\ncw 1,20\r\n0,0,COM2\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"grid.ini"});
}
