// The APNs.dat file at the edges on Linux: a pipe of its name, a file nobody may read.
#include "params/ApnPresets.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vantrel;

TEST(ApnPresetFileEdges, APipeDoesNotBlockAndAnUnreadableFileIsNone) {
    QTemporaryDir dir;
    const QString path = dir.filePath(apnPresetFileName());
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_FALSE(readApnPresetFile(path).has_value()) << "a FIFO must not block";
    QFile::remove(path);

    if (::geteuid() != 0) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("a\r\n");
        file.close();
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
        EXPECT_FALSE(readApnPresetFile(path).has_value()) << "unreadable";
    }
}
