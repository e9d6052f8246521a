// The port name kept in VantrelSetup.ini from one run to the next.
#include "serial/SerialPort.h"
#include "tests/app/Program.h"

#include <QFile>
#include <QLabel>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(Persistence, FirstStartUsesCom1AndWritesTheFileAtExit) {
    test::Program p;
    EXPECT_EQ(p.main->ComPort1().Port(), QStringLiteral("COM1"));
    EXPECT_EQ(test::child<QLabel>(p.main, "Panel1")->text(), QStringLiteral("COM1")); // the port in use shows from the start;
    const QString ini = p.cwd.file("VantrelSetup.ini");
    EXPECT_FALSE(QFile::exists(ini));
    p.end();
    EXPECT_EQ(readFile(ini), QByteArray("2,1\r\ncw 0,20\r\ncw 1,20\r\n0,0,COM1\r\n"));
}

TEST(Persistence, APortNameIsRestoredAtTheNextStart) {
    test::Program p;
    p.main->ComPort1().setPort(QStringLiteral("COM12"));
    p.end();
    p.start();
    EXPECT_EQ(p.main->ComPort1().Port(), QStringLiteral("COM12"));
    EXPECT_EQ(test::child<QLabel>(p.main, "Panel1")->text(), p.main->ComPort1().Port());
}

TEST(Persistence, NamesOutsideTheRangeOrWithoutANumberGiveCom1) {
    for (const char* name : {"COM0", "COM97", "Soros", ""}) {
        test::Program p;
        p.end();
        writeFile(p.cwd.file("VantrelSetup.ini"), QByteArray("2,1\r\ncw 0,20\r\ncw 1,20\r\n0,0,") + name + "\r\n");
        p.start();
        EXPECT_EQ(p.main->ComPort1().Port(), QStringLiteral("COM1")) << name;
    }
}

TEST(Persistence, UnreadableOrMalformedFilesAreIgnoredSilently) {
    test::Program p;
    p.end();
    const QString ini = p.cwd.file("VantrelSetup.ini");
    writeFile(ini, QByteArray("\xFF\xFE garbage\r\n9,9,x\r\n0,0,com7 \r\n"));
    p.start();
    EXPECT_EQ(p.main->ComPort1().Port(), QStringLiteral("COM7"));
    p.end();
    // A header that would make an enormous table is refused; the port stays COM1 and a clean file follows.
    writeFile(ini, QByteArray("99999999,99999999\r\n0,0,COM5\r\n"));
    p.start();
    EXPECT_EQ(p.main->ComPort1().Port(), QStringLiteral("COM1"));
    p.end();
    EXPECT_EQ(readFile(ini), QByteArray("2,1\r\ncw 0,20\r\ncw 1,20\r\n0,0,COM1\r\n"));
    // A directory in the file's place: nothing is shown, nothing can be written, and the program ends.
    QFile::remove(ini);
    QDir(p.cwd.path()).mkdir(QStringLiteral("VantrelSetup.ini"));
    p.start();
    EXPECT_EQ(p.main->ComPort1().Port(), QStringLiteral("COM1"));
    p.end();
    EXPECT_TRUE(QFileInfo(ini).isDir());
}

TEST(Persistence, OtherCellsOfTheFileAreKept) {
    test::Program p;
    p.end();
    const QString ini = p.cwd.file("VantrelSetup.ini");
    writeFile(ini, QByteArray("2,1\r\ncw 0,20\r\ncw 1,20\r\n0,0,COM3\r\n1,0,kept\r\n"));
    p.start();
    p.end();
    EXPECT_EQ(readFile(ini), QByteArray("2,1\r\ncw 0,20\r\ncw 1,20\r\n0,0,COM3\r\n1,0,kept\r\n"));
}
