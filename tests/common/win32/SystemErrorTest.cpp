// GetLastError() codes to the I/O error table's texts, and the system's words for the others.
#include "common/Errors.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace vantrel;

TEST(InOutError, SystemCausesGetTheTextsOfTheTable) {
    struct Row {
        DWORD err;
        int code;
        const char* text;
    };
    const Row rows[] = {
        {ERROR_FILE_NOT_FOUND, 2, "File not found"},    {ERROR_PATH_NOT_FOUND, 3, "Invalid filename"},
        {ERROR_INVALID_NAME, 3, "Invalid filename"},    {ERROR_TOO_MANY_OPEN_FILES, 4, "Too many open files"},
        {ERROR_ACCESS_DENIED, 5, "File access denied"}, {ERROR_SHARING_VIOLATION, 5, "File access denied"},
        {ERROR_WRITE_PROTECT, 5, "File access denied"}, {ERROR_DISK_FULL, 101, "Disk full"},
        {ERROR_HANDLE_DISK_FULL, 101, "Disk full"},     {ERROR_NOT_READY, 21, "I/O error 21"},
    };
    for (const Row& row : rows) {
        const EInOutError e = EInOutError::fromErrno(static_cast<int>(row.err));
        EXPECT_EQ(e.code(), row.code) << row.err;
        EXPECT_EQ(e.message(), QString::fromLatin1(row.text)) << row.err;
    }
    // The common causes in Hungarian whatever the system's language; the others in the system's words,
    // without the message table's full stop and line break.
    EXPECT_EQ(systemErrorText(ERROR_SHARING_VIOLATION, TextLanguage::Hungarian),
              QStringLiteral("Egy másik program használja"));
    EXPECT_EQ(systemErrorText(ERROR_DISK_FULL, TextLanguage::Hungarian), QStringLiteral("Nincs hely a lemezen"));
    const QString english = systemErrorText(ERROR_CRC, TextLanguage::English);
    EXPECT_FALSE(english.isEmpty());
    EXPECT_FALSE(english.endsWith(QLatin1Char('.'))) << english.toStdString();
    EXPECT_FALSE(english.contains(QLatin1Char('\n'))) << english.toStdString();
}

TEST(PortOpenReason, RefusedPortsAreInUseAndAnUnknownFailureIsNamed) {
    // A port is opened for exclusive use: the system refuses a second opener with "access denied".
    for (const DWORD err : {ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION})
        EXPECT_EQ(portOpenReasonText(static_cast<int>(err), {}, {}, TextLanguage::Hungarian),
                  QStringLiteral("Egy másik program használja."))
            << err;
    EXPECT_EQ(portOpenReasonText(ERROR_FILE_NOT_FOUND, {}, {}, TextLanguage::English),
              QStringLiteral("No such device."));
    EXPECT_EQ(portOpenReasonText(ioFailureError(), {}, {}, TextLanguage::Hungarian),
              QStringLiteral("Rendszerhiba: Be- és kiviteli hiba (%1).").arg(ERROR_IO_DEVICE));
}
