#include "common/Errors.h"

#include "common/FileNames.h"
#include "common/SystemError.h"

#include <QDir>
#include <QFileInfo>

namespace vantrel {

VantrelError::VantrelError(const QString& message) : std::runtime_error(message.toStdString()) {}

namespace {

QString hungarianTextFor(int code) {
    switch (code) {
    case EInOutError::FileNotFound:
        return QStringLiteral("A fájl nem található");
    case EInOutError::InvalidFilename:
        return QStringLiteral("Érvénytelen fájlnév vagy nem létező mappa");
    case EInOutError::TooManyOpenFiles:
        return QStringLiteral("Túl sok a megnyitott fájl");
    case EInOutError::AccessDenied:
        return QStringLiteral("A fájlhoz nincs hozzáférés");
    case EInOutError::ReadBeyondEnd:
        return QStringLiteral("A fájl rövidebb a vártnál");
    case EInOutError::DiskFull:
        return QStringLiteral("Megtelt a lemez");
    default:
        return QStringLiteral("Be- és kiviteli hiba: %1").arg(code);
    }
}

QString textFor(int code) {
    switch (code) {
    case EInOutError::FileNotFound:
        return QStringLiteral("File not found");
    case EInOutError::InvalidFilename:
        return QStringLiteral("Invalid filename");
    case EInOutError::TooManyOpenFiles:
        return QStringLiteral("Too many open files");
    case EInOutError::AccessDenied:
        return QStringLiteral("File access denied");
    case EInOutError::ReadBeyondEnd:
        return QStringLiteral("Read beyond end of file");
    case EInOutError::DiskFull:
        return QStringLiteral("Disk full");
    default:
        return QStringLiteral("I/O error %1").arg(code);
    }
}

} // namespace

EInOutError::EInOutError(int code) : EInOutError(code, textFor(code)) {}

EInOutError::EInOutError(int code, const QString& text, const QString& hungarian)
    : VantrelError(text), code_(code), hungarian_(hungarian) {}

EInOutError EInOutError::fromErrno(int err) {
    const int code = systemerror::inOutCode(err);
    if (code != 0)
        return EInOutError(code);
    // A number that happens to equal a table code (EIO is 5) must not read as that cause.
    return EInOutError(err, QStringLiteral("I/O error %1").arg(err));
}

EInOutError EInOutError::fromErrno(int err, const QString& path) {
    const QString name = QFileInfo(path).fileName();
    if (systemerror::deviceNamesReserved() && systemerror::inOutCode(err) == InvalidFilename && isDeviceName(name))
        return EInOutError(InvalidFilename, QStringLiteral("Invalid filename: %1 is the name of a device").arg(name),
                           QStringLiteral("Érvénytelen fájlnév: a(z) %1 egy eszköz neve").arg(name));
    if (systemerror::isMissingEntry(err) && !QFileInfo(path).absoluteDir().exists())
        return EInOutError(InvalidFilename);
    return fromErrno(err);
}

QString inOutErrorText(int code, TextLanguage language) {
    return language == TextLanguage::Hungarian ? hungarianTextFor(code) : textFor(code);
}

QString inOutErrorText(const EInOutError& error, TextLanguage language) {
    if (language == TextLanguage::English)
        return error.message();
    if (!error.hungarian().isEmpty())
        return error.hungarian();
    if (error.message() == textFor(error.code()))
        return hungarianTextFor(error.code());
    // An errno outside the table, also one that equals a table code (EIO is 5).
    if (error.message() == QStringLiteral("I/O error %1").arg(error.code()))
        return QStringLiteral("Be- és kiviteli hiba: %1").arg(error.code());
    return error.message();
}

QString systemErrorText(int systemError, TextLanguage language) {
    if (language == TextLanguage::Hungarian) {
        if (const QString text = systemerror::hungarianText(systemError); !text.isEmpty())
            return text;
    }
    return systemerror::nativeText(systemError, language);
}

QString staleExclusiveText(TextLanguage language) {
    return language == TextLanguage::Hungarian
               ? QStringLiteral("A port kizárólagos használatra van jelölve, de egy program sem tartja nyitva: "
                                "egy program, amely használta, leállt (például kilőtték), és a jelölés megmaradt. "
                                "Feloldás: indítsa újra a vonal másik végén futó programot (pszeudoterminálnál a "
                                "szimulátort), USB-átalakítót húzzon ki és dugjon vissza.")
               : QStringLiteral("The port is marked for exclusive use, but no program has it open: a program that "
                                "held it ended (it was killed, for example) and the mark stayed behind. To clear it, "
                                "restart the program at the other end of the line (for a pseudo-terminal, the "
                                "simulator), or unplug a USB adapter and plug it in again.");
}

int ioFailureError() {
    return systemerror::ioFailure();
}

QString userText(const std::exception& error) {
    return QString::fromUtf8(error.what());
}

QString portOpenReasonText(int systemError, const QString& holder, const QString& group, TextLanguage language) {
    using systemerror::PortOpenCause;
    const bool hu = language == TextLanguage::Hungarian;
    switch (systemerror::portOpenCause(systemError)) {
    case PortOpenCause::Missing:
        return hu ? QStringLiteral("Nincs ilyen eszköz.") : QStringLiteral("No such device.");
    case PortOpenCause::Busy:
        if (holder.isEmpty())
            return hu ? QStringLiteral("Egy másik program használja.") : QStringLiteral("In use by another program.");
        return hu ? QStringLiteral("Egy másik program használja: %1.").arg(holder)
                  : QStringLiteral("In use by another program: %1.").arg(holder);
    case PortOpenCause::NoPermission: {
        const QString g = group.isEmpty() ? QStringLiteral("dialout") : group;
        return hu ? QStringLiteral("Nincs jogosultság: a felhasználónak a(z) %1 csoport tagjának kell lennie, "
                                   "utána újra be kell jelentkeznie.")
                        .arg(g)
                  : QStringLiteral("No permission: the user must be a member of the group %1 and log in again.").arg(g);
    }
    case PortOpenCause::Other:
        break;
    }
    return (hu ? QStringLiteral("Rendszerhiba: %1 (%2).") : QStringLiteral("System error: %1 (%2)."))
        .arg(systemErrorText(systemError, language))
        .arg(systemError);
}

} // namespace vantrel
