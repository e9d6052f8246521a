// The careful writer at the edges on Windows: paths into the device namespace, what the user set on a file
// that is replaced, and the temporaries of killed saves (a running save's is held open).
#include "common/FileIO.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <windows.h>

using namespace vantrel;

namespace {

std::wstring native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

bool make(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

TEST(CarefulWriter, DevicePathsAndKeptAttributesAndStaleTemporaries) {
    for (const char* device : {"\\\\.\\NUL", "\\\\.\\pipe\\vantrel-test", "\\\\?\\C:\\x\\COM1"}) {
        const std::optional<FileError> failed = writeFileAtomically(QString::fromLatin1(device), "x");
        ASSERT_TRUE(failed.has_value()) << device;
        EXPECT_EQ(failed->stage, FileError::Stage::Create) << device;
        EXPECT_TRUE(readFileStart(QString::fromLatin1(device), 4).error.has_value()) << device;
    }

    QTemporaryDir dir;
    const QString target = dir.filePath("site.VT3");
    ASSERT_TRUE(make(target, "old"));
    ASSERT_TRUE(SetFileAttributesW(native(target).c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(make(dir.filePath("site.VT3.tmp-a1B2c3"), "left"));  // a save killed on the way
    ASSERT_TRUE(make(dir.filePath("other.VT3.tmp-q1w2e3"), "left")); // another file's
    // A save running right now holds its temporary open without letting it be deleted.
    HANDLE running = CreateFileW(native(dir.filePath("site.VT3.tmp-Zz9Yy8")).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                 nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(running, INVALID_HANDLE_VALUE);
    ASSERT_FALSE(writeFileAtomically(target, "new").has_value());
    CloseHandle(running);

    QFile written(target);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("new"));
    EXPECT_NE(GetFileAttributesW(native(target).c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    EXPECT_EQ(left, (QStringList{"other.VT3.tmp-q1w2e3", "site.VT3", "site.VT3.tmp-Zz9Yy8"}));
}
