// The careful writer and reader on every platform: a file is replaced whole, a read-only file, a folder
// and (on Windows) a device name are refused with the table's texts, a taken name is kept.
#include "common/FileIO.h"
#include "common/Errors.h"
#include "common/FileNames.h"
#include "common/SystemError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QStringList leftIn(const QTemporaryDir& dir) {
    return QDir(dir.path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(CarefulWriterEverywhere, ReplacesWholeAndRefusesWhatItMayNotTouch) {
    QTemporaryDir dir;
    const QString target = dir.filePath("site.VT3");
    ASSERT_FALSE(writeFileAtomically(target, QByteArray(1088, 'a')).has_value());
    ASSERT_FALSE(writeFileAtomically(target, "second").has_value());
    EXPECT_EQ(contentOf(target), QByteArray("second"));
    const FileContent read = readFileStart(target, 3);
    ASSERT_FALSE(read.error.has_value());
    EXPECT_EQ(read.bytes, QByteArray("sec"));

    // A read-only file is the user's word that it stays as it is, although the rename could replace it.
    const QString locked = dir.filePath("locked.VT3");
    ASSERT_FALSE(writeFileAtomically(locked, "kept").has_value());
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadUser));
    const std::optional<FileError> refused = writeFileAtomically(locked, "new");
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->stage, FileError::Stage::Create);
    EXPECT_EQ(EInOutError::fromErrno(refused->err, locked).message(), QStringLiteral("File access denied"));
    EXPECT_NE(checkWritableTarget(locked), 0);
    EXPECT_EQ(contentOf(locked), QByteArray("kept"));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner);

    // A folder in the file's place: neither written nor read.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.VT3"));
    const std::optional<FileError> folder = writeFileAtomically(dir.filePath("folder.VT3"), "x");
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(EInOutError::fromErrno(folder->err).message(), QStringLiteral("File access denied"));
    EXPECT_EQ(entryKind(dir.filePath("folder.VT3")), EntryKind::Folder);
    EXPECT_TRUE(readFileStart(dir.filePath("folder.VT3"), 10).error.has_value());

    // A missing folder on the way is a bad name, not a missing file.
    const std::optional<FileError> nowhere = writeFileAtomically(dir.filePath("none/site.VT3"), "x");
    ASSERT_TRUE(nowhere.has_value());
    EXPECT_EQ(EInOutError::fromErrno(nowhere->err, dir.filePath("none/site.VT3")).code(), EInOutError::InvalidFilename);
    const FileContent missing = readFileStart(dir.filePath("missing.VT3"), 10);
    ASSERT_TRUE(missing.error.has_value());
    EXPECT_EQ(EInOutError::fromErrno(missing.error->err, dir.filePath("missing.VT3")).code(),
              EInOutError::FileNotFound);

    // A taken name is kept, and the refusal says so on every platform.
    const std::optional<FileError> taken = writeFileAtomically(target, "third", ExistingFile::Keep);
    ASSERT_TRUE(taken.has_value());
    EXPECT_TRUE(nameTaken(*taken));
    EXPECT_EQ(contentOf(target), QByteArray("second"));
    EXPECT_FALSE(nameTaken(*refused));
    // The check before a long read says yes to a file and a new name, and leaves nothing behind.
    EXPECT_EQ(checkWritableTarget(target), 0);
    EXPECT_EQ(checkWritableTarget(dir.filePath("new.VT3")), 0);
    EXPECT_EQ(leftIn(dir), (QStringList{"folder.VT3", "locked.VT3", "site.VT3"})) << "a temporary was left";
}

TEST(CarefulWriterEverywhere, DeviceNamesAreRefusedOnlyWhereTheyNameDevices) {
    QTemporaryDir dir;
    for (const char* name : {"NUL", "con.VT3", "Com1.VT3", "lpt9.txt.bak", "AUX ", "prn."}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        const std::optional<FileError> failed = writeFileAtomically(path, "x");
        if (!systemerror::deviceNamesReserved()) {
            // Ordinary names here: a site's file called so stays writable and readable.
            EXPECT_FALSE(failed.has_value()) << name;
            EXPECT_EQ(readFileStart(path, 10).bytes, QByteArray("x")) << name;
            continue;
        }
        ASSERT_TRUE(failed.has_value()) << name;
        EXPECT_EQ(failed->stage, FileError::Stage::Create) << name;
        const EInOutError error = EInOutError::fromErrno(failed->err, path);
        EXPECT_EQ(error.code(), EInOutError::InvalidFilename) << name;
        EXPECT_TRUE(error.message().contains(QStringLiteral("is the name of a device"))) << name;
        EXPECT_TRUE(inOutErrorText(error, TextLanguage::Hungarian).contains(QStringLiteral("eszköz neve"))) << name;
        EXPECT_NE(checkWritableTarget(path), 0) << name;
        EXPECT_TRUE(readFileStart(path, 10).error.has_value()) << name;
        EXPECT_EQ(entryKind(path), EntryKind::Device) << name;
    }
}
