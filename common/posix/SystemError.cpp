// errno values: which of them are the I/O error table's causes, and their texts.
#include "common/SystemError.h"

#include <cerrno>
#include <cstring>

namespace vantrel::systemerror {

int inOutCode(int err) {
    switch (err) {
    case ENOENT:
        return EInOutError::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return EInOutError::InvalidFilename;
    case EMFILE:
    case ENFILE:
        return EInOutError::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
    case ENODEV: // a pipe or device where a file was expected
        return EInOutError::AccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return EInOutError::DiskFull;
    default:
        return 0;
    }
}

bool isMissingEntry(int err) {
    return err == ENOENT;
}

QString hungarianText(int err) {
    switch (err) {
    case ENOENT:
        return QStringLiteral("Nincs ilyen fájl vagy könyvtár");
    case EACCES:
    case EPERM:
        return QStringLiteral("Hozzáférés megtagadva");
    case EBUSY:
        return QStringLiteral("Az eszköz foglalt");
    case EIO:
        return QStringLiteral("Be- és kiviteli hiba");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("Nincs ilyen eszköz");
    case ENOSPC:
        return QStringLiteral("Nincs hely az eszközön");
    case EROFS:
        return QStringLiteral("Csak olvasható fájlrendszer");
    case EISDIR:
        return QStringLiteral("Ez egy könyvtár");
    case ENOTDIR:
        return QStringLiteral("Nem könyvtár");
    case ENOTTY:
        return QStringLiteral("Nem terminál (nem soros port)");
    case EINVAL:
        return QStringLiteral("Érvénytelen argumentum");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Túl sok a megnyitott fájl");
    case EDQUOT:
        return QStringLiteral("Elfogyott a lemezkvóta");
    default:
        return {};
    }
}

QString nativeText(int err, TextLanguage) {
    return QString::fromLocal8Bit(std::strerror(err));
}

int ioFailure() {
    return EIO;
}

bool deviceNamesReserved() {
    return false;
}

PortOpenCause portOpenCause(int err) {
    switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return PortOpenCause::Missing;
    case EBUSY:
        return PortOpenCause::Busy;
    case EACCES:
    case EPERM:
        return PortOpenCause::NoPermission;
    default:
        return PortOpenCause::Other;
    }
}

} // namespace vantrel::systemerror
