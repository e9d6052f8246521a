// Parameter and grid files at the edges on Linux: file modes, symbolic links, folders without write
// permission, a write cut short, and pipes of the file's name.
#include "transfer/GridTextFile.h"
#include "transfer/ParameterFile.h"

#include "tests/transfer/ParameterFileFixture.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vantrel;
using test::ParameterFiles;

TEST_F(ParameterFiles, AFolderWithoutWritePermissionIsRefused) {
    if (::geteuid() != 0) { // root writes anywhere
        QDir(dir.path()).mkdir(QStringLiteral("locked"));
        ::chmod(dir.filePath(QStringLiteral("locked")).toLocal8Bit().constData(), 0555);
        EXPECT_EQ(errorText([&] { saveParameterFile(path("locked/x.VT3"), pattern()); }),
                  QStringLiteral("File access denied"));
    }
}

TEST_F(ParameterFiles, SavingReplacesWithoutAskingAndKeepsTheFileMode) {
    writeRaw(QByteArray(3000, '\x00'));
    ::chmod(path().toLocal8Bit().constData(), 0640);
    saveParameterFile(path(), pattern());
    EXPECT_EQ(openParameterFile(path()), pattern());
    EXPECT_EQ(QFileInfo(path()).size(), 1088);
    struct stat st {};
    ::stat(path().toLocal8Bit().constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(ParameterFiles, SavingThroughALinkReplacesItsTarget) {
    writeRaw(QByteArray(1088, '\x00'), "real.VT3");
    ASSERT_TRUE(QFile::link(path("real.VT3"), path("link.VT3")));
    saveParameterFile(path("link.VT3"), pattern());
    EXPECT_TRUE(QFileInfo(path("link.VT3")).isSymLink());
    EXPECT_EQ(openParameterFile(path("real.VT3")), pattern());
}

TEST_F(ParameterFiles, WhatTheUserMayNotWriteIsNeverReplaced) {
    // A read-only file (for root too: no write bit at all is the user's mark), and a file in a folder
    // without write permission: refused, and left exactly as it was.
    writeRaw(QByteArray(1088, '\x11'), "template.VT3");
    ASSERT_EQ(::chmod(path("template.VT3").toLocal8Bit().constData(), 0444), 0);
    EXPECT_EQ(errorText([&] { saveParameterFile(path("template.VT3"), pattern()); }),
              QStringLiteral("File access denied"));
    EXPECT_EQ(openParameterFile(path("template.VT3"))[5], 0x11);

    QDir(dir.path()).mkdir(QStringLiteral("shared"));
    writeRaw(QByteArray(1088, '\x22'), "shared/site.VT3");
    ASSERT_EQ(::chmod(path("shared").toLocal8Bit().constData(), 0555), 0);
    EXPECT_EQ(errorText([&] { saveParameterFile(path("shared/site.VT3"), pattern()); }),
              QStringLiteral("File access denied"));
    EXPECT_EQ(openParameterFile(path("shared/site.VT3"))[5], 0x22);
    EXPECT_EQ(QDir(path("shared")).entryList(QDir::Files).size(), 1); // no temporary left behind
    ::chmod(path("shared").toLocal8Bit().constData(), 0755);

    // A link to a file not made yet: the file is made where it points and the link stays.
    ASSERT_TRUE(QFile::link(path("new.VT3"), path("pointer.VT3")));
    saveParameterFile(path("pointer.VT3"), pattern());
    EXPECT_TRUE(QFileInfo(path("pointer.VT3")).isSymLink());
    EXPECT_EQ(openParameterFile(path("new.VT3")), pattern());
}

TEST_F(ParameterFiles, AWriteThatFailsHalfWayLeavesTheOldFileInPlace) {
    writeRaw(QByteArray(1088, '\x11'));
    // A file size limit below the image makes the write fail after some bytes, as a full disk would.
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 500;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString text = errorText([&] { saveParameterFile(path(), pattern()); });
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(text, QStringLiteral("Disk full"));
    EXPECT_EQ(openParameterFile(path()), [] {
        ImageBytes ones;
        ones.fill(0x11);
        return ones;
    }());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"set.VT3"});
}

TEST_F(ParameterFiles, APipeOfThatNameIsRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo(path("pipe.VT3").toLocal8Bit().constData(), 0600), 0);
    EXPECT_EQ(errorText([&] { openParameterFile(path("pipe.VT3")); }), QStringLiteral("File access denied"));
}

TEST(GridFileEdges, APipeOfThatNameCannotBeOpenedAndDoesNotHang) {
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("pipe.ini"));
    ASSERT_EQ(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    CellTable t;
    EXPECT_THROW(LoadCellsFromFile(t, pipe), EGridError);
}
