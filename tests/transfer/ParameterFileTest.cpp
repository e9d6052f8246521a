// Parameter files: the raw image on disk, and the error texts of every way a file operation can fail.
#include "transfer/ParameterFile.h"

#include "tests/transfer/ParameterFileFixture.h"

#include <QDir>
#include <QFileInfo>

using namespace vantrel;
using test::ParameterFiles;

TEST_F(ParameterFiles, SaveThenOpenGivesTheSameImageIncludingTheLocalBlock) {
    const ImageBytes image = pattern();
    saveParameterFile(path(), image);
    EXPECT_EQ(QFileInfo(path()).size(), 1088);
    EXPECT_EQ(openParameterFile(path()), image);
}

TEST_F(ParameterFiles, LongerFilesLoadTheirFirst1088Bytes) {
    QByteArray bytes(2000, '\x5A');
    bytes[0] = '\x01';
    bytes[1087] = '\x02';
    writeRaw(bytes);
    const ImageBytes image = openParameterFile(path());
    EXPECT_EQ(image[0], 0x01);
    EXPECT_EQ(image[1087], 0x02);
}

TEST_F(ParameterFiles, AllFFFileIsAFreshImage) {
    writeRaw(QByteArray(1088, '\xFF'));
    EXPECT_EQ(openParameterFile(path()), freshImage());
}

TEST_F(ParameterFiles, OpenFailures) {
    writeRaw(QByteArray(500, '\x01'));
    EXPECT_EQ(errorText([&] { openParameterFile(path()); }), QStringLiteral("Read beyond end of file"));
    EXPECT_EQ(errorText([&] { openParameterFile(path("missing.VT3")); }), QStringLiteral("File not found"));
    EXPECT_EQ(errorText([&] { openParameterFile(path("nodir/x.VT3")); }), QStringLiteral("Invalid filename"));
    EXPECT_EQ(errorText([&] { openParameterFile(dir.path()); }), QStringLiteral("File access denied"));
}

TEST_F(ParameterFiles, ReadOnlyFileOpens) {
    writeRaw(QByteArray(1088, '\x33'));
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    EXPECT_EQ(openParameterFile(path())[100], 0x33);
}

TEST_F(ParameterFiles, SaveFailures) {
    EXPECT_EQ(errorText([&] { saveParameterFile(dir.path(), pattern()); }), QStringLiteral("File access denied"));
    EXPECT_EQ(errorText([&] { saveParameterFile(path("nodir/x.VT3"), pattern()); }),
              QStringLiteral("Invalid filename"));
}
