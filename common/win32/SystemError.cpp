// GetLastError() codes: which of them are the I/O error table's causes, and their texts. The table's first
// codes are the system's own (2 file not found, 3 path not found, 4 too many open files, 5 access denied).
#include "common/SystemError.h"

#include <windows.h>

namespace vantrel::systemerror {

int inOutCode(int code) {
    switch (static_cast<DWORD>(code)) {
    case ERROR_FILE_NOT_FOUND:
        return EInOutError::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_DRIVE:
        return EInOutError::InvalidFilename;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EInOutError::TooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_CANT_ACCESS_FILE:
    case ERROR_NOT_SUPPORTED: // a device or pipe where a file was expected
        return EInOutError::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_NOT_ENOUGH_QUOTA:
    case ERROR_FILE_TOO_LARGE:
        return EInOutError::DiskFull;
    default:
        return 0;
    }
}

bool isMissingEntry(int code) {
    return static_cast<DWORD>(code) == ERROR_FILE_NOT_FOUND;
}

QString hungarianText(int code) {
    switch (static_cast<DWORD>(code)) {
    case ERROR_FILE_NOT_FOUND:
        return QStringLiteral("A fájl nem található");
    case ERROR_PATH_NOT_FOUND:
        return QStringLiteral("Az elérési út nem található");
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return QStringLiteral("Érvénytelen fájlnév");
    case ERROR_FILENAME_EXCED_RANGE:
        return QStringLiteral("Túl hosszú fájlnév");
    case ERROR_ACCESS_DENIED:
        return QStringLiteral("Hozzáférés megtagadva");
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return QStringLiteral("Egy másik program használja");
    case ERROR_WRITE_PROTECT:
        return QStringLiteral("Az adathordozó írásvédett");
    case ERROR_TOO_MANY_OPEN_FILES:
        return QStringLiteral("Túl sok a megnyitott fájl");
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return QStringLiteral("Nincs hely a lemezen");
    case ERROR_NOT_ENOUGH_QUOTA:
        return QStringLiteral("Elfogyott a kvóta");
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return QStringLiteral("A fájl már létezik");
    case ERROR_NOT_READY:
        return QStringLiteral("Az eszköz nem áll készen");
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
        return QStringLiteral("Nincs ilyen eszköz");
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
        return QStringLiteral("Be- és kiviteli hiba");
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return QStringLiteral("A csővezeték lezárult");
    case ERROR_INVALID_PARAMETER:
        return QStringLiteral("Érvénytelen paraméter");
    default:
        return {};
    }
}

namespace {

// The message table's text for code in one language; empty when the system has none in it.
QString formatMessage(DWORD code, DWORD languageId) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, languageId, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    QString text;
    if (length > 0 && buffer)
        text = QString::fromWCharArray(buffer, static_cast<qsizetype>(length));
    if (buffer)
        LocalFree(buffer);
    return text;
}

} // namespace

QString nativeText(int code, TextLanguage language) {
    const auto number = static_cast<DWORD>(code);
    QString text;
    if (language == TextLanguage::English)
        text = formatMessage(number, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (text.isEmpty())
        text = formatMessage(number, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT));
    // The message table ends its texts with a full stop and a line break; ours are put into sentences.
    text = text.trimmed();
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (text.isEmpty())
        text = language == TextLanguage::Hungarian ? QStringLiteral("Rendszerhiba %1").arg(number)
                                                   : QStringLiteral("System error %1").arg(number);
    return text;
}

int ioFailure() {
    return ERROR_IO_DEVICE;
}

bool deviceNamesReserved() {
    return true;
}

PortOpenCause portOpenCause(int code) {
    switch (static_cast<DWORD>(code)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
        return PortOpenCause::Missing;
    // A serial port is opened for exclusive use: another program holding it is what "denied" means here.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return PortOpenCause::Busy;
    default:
        return PortOpenCause::Other;
    }
}

} // namespace vantrel::systemerror
