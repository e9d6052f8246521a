// errno values to the I/O error table's texts.
#include "common/Errors.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace vantrel;

TEST(InOutError, SystemCausesGetTheTextsOfTheTable) {
    struct Row {
        int err;
        int code;
        const char* text;
    };
    const Row rows[] = {
        {ENOENT, 2, "File not found"},      {ENOTDIR, 3, "Invalid filename"},  {ENAMETOOLONG, 3, "Invalid filename"},
        {EMFILE, 4, "Too many open files"}, {EACCES, 5, "File access denied"}, {EISDIR, 5, "File access denied"},
        {EROFS, 5, "File access denied"},   {ENOSPC, 101, "Disk full"},        {EIO, EIO, "I/O error 5"},
        {EXDEV, EXDEV, "I/O error 18"},
    };
    for (const Row& row : rows) {
        const EInOutError e = EInOutError::fromErrno(row.err);
        EXPECT_EQ(e.code(), row.code) << row.err;
        EXPECT_EQ(e.message(), QString::fromLatin1(row.text)) << row.err;
    }
    EXPECT_EQ(EInOutError(EInOutError::ReadBeyondEnd).message(), QStringLiteral("Read beyond end of file"));
}
