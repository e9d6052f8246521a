// Files that are not what they claim to be: a setup file or parameter file that is a FIFO or a device, and a
// setup file whose header asks for a gigantic grid. None may hang the tool or lose its settings.
#include "common/Errors.h"
#include "params/ApnPresets.h"
#include "params/ui/TSettingsForm.h"
#include "serial/SerialPort.h"
#include "tests/app/Program.h"
#include "transfer/GridTextFile.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vantrel;

namespace {

struct FileInput : ::testing::Test {
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QString fifo(const char* name) const {
        const QString p = path(name);
        EXPECT_EQ(::mkfifo(p.toLocal8Bit().constData(), 0600), 0);
        return p;
    }
    void writeFile(const QString& p, const QByteArray& bytes) const {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
};

QString loadError(CellTable& table, const QString& fileName) {
    try {
        LoadCellsFromFile(table, fileName);
    } catch (const EGridError& e) {
        return e.message();
    }
    return {};
}

} // namespace

// Opening a FIFO for reading waits for a writer that never comes; a device never ends. Neither is a grid
// file, and both are refused as files that cannot be opened.
TEST_F(FileInput, GridFileThatIsAFifoOrADeviceIsRefusedAtOnce) {
    const QString pipe = fifo("VantrelSetup.ini");
    const QString device = path("zero.ini");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), device));
    for (const QString& name : {pipe, device}) {
        CellTable table(2, 1);
        table.setCell(0, 0, QStringLiteral("COM7"));
        EXPECT_EQ(loadError(table, name), QStringLiteral("Cannot open file ") + name);
        EXPECT_EQ(table.ColCount(), 2);
        EXPECT_EQ(table.cell(0, 0), QStringLiteral("COM7"));
    }
}

// A grid of a billion cells (a thousand columns, as many rows as the format allows) is saved in time
// proportional to what it holds, not to its area: visiting every cell would take many minutes.
TEST_F(FileInput, GiganticGridHeaderIsSavedAndReadBack) {
    const QString name = path("VantrelSetup.ini");
    writeFile(name, "1048576,1048576\r\n0,0,COM5\r\n1048575,1048575,far\r\n");
    CellTable table(2, 1);
    LoadCellsFromFile(table, name);
    ASSERT_EQ(table.ColCount(), CellTable::MaxCount);
    ASSERT_EQ(table.RowCount(), CellTable::MaxCount);

    SaveCellsToFile(table, name);
    CellTable again(2, 1);
    LoadCellsFromFile(again, name);
    EXPECT_EQ(again.ColCount(), CellTable::MaxCount);
    EXPECT_EQ(again.RowCount(), CellTable::MaxCount);
    EXPECT_EQ(again.cell(0, 0), QStringLiteral("COM5"));
    EXPECT_EQ(again.cell(1048575, 1048575), QStringLiteral("far"));
}

// The whole tool: started on such setup files it comes up on its default port and still ends cleanly,
// leaving a pipe in the setup file's place as it was and writing a setup file that the next start reads.
TEST(FileInputProgram, OddSetupFilesNeitherHangTheStartNorTheEnd) {
    test::Program program;
    const QString setup = program.cwd.file(TMainForm::SetupFileName);
    program.end();

    ASSERT_TRUE(QFile::remove(setup));
    ASSERT_EQ(::mkfifo(setup.toLocal8Bit().constData(), 0600), 0);
    program.start();
    EXPECT_EQ(program.main->ComPort1().Port(), QStringLiteral("COM1"));
    program.end();
    // What is not a file is never replaced by one, not even by the setup the program saves at its end.
    QFileInfo written(setup);
    EXPECT_FALSE(written.isFile()) << "the FIFO was replaced by the saved setup";
    ASSERT_TRUE(QFile::remove(setup));

    {
        QFile f(setup);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("1024,1048576\r\ncw 0,20\r\n0,0,COM4\r\n");
    }
    program.start();
    EXPECT_EQ(program.main->ComPort1().Port(), QStringLiteral("COM4"));
    program.end();
    program.start();
    EXPECT_EQ(program.main->ComPort1().Port(), QStringLiteral("COM4"));
}

// The largest preset file the editor accepts, made of the shortest lines: the editor still comes up, with
// every line an entry and the first one the custom entry.
TEST(FileInputEditor, PresetFileOfHalfAMillionLinesStillOpensTheEditor) {
    constexpr int kLines = 500000;
    static_assert(kLines + 1 < ApnPresetFileLimit);
    test::WorkingDirectory cwd;
    {
        QFile f(cwd.file("APNs.dat"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_GT(f.write(QByteArray("a\n") + QByteArray(kLines - 1, '\n')), 0);
    }
    ImageBytes image = freshImage();
    TSettingsForm form(image);
    auto* providers = form.findChild<QComboBox*>(QStringLiteral("cbServiceProvider"));
    ASSERT_NE(providers, nullptr);
    EXPECT_EQ(providers->count(), 1) << "empty lines are no presets";
    EXPECT_EQ(providers->currentIndex(), 0);
    form.LoadFromImage();
    form.StoreToImage();
}
