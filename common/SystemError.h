// What the platform's error numbers mean, for the one place that turns them into texts (Errors.cpp).
// A system error number is errno on Linux and GetLastError()'s code on Windows; each platform's backend
// (posix/ or win32/) knows its own numbers.
#pragma once

#include "common/Errors.h"

#include <QString>

namespace vantrel::systemerror {

// The code of the I/O error table for a system error number, or 0 when it is not one of the table's causes.
int inOutCode(int systemError);

// Whether the number says that a name was not found (the file itself or a folder on its way).
bool isMissingEntry(int systemError);

// The Hungarian text of a common cause; empty for any other number.
QString hungarianText(int systemError);

// The system's own text for the number, without a closing full stop: for English in English where the
// system has it, otherwise in the system's language.
QString nativeText(int systemError, TextLanguage language);

// The number of an input/output failure without a more precise cause (EIO; ERROR_IO_DEVICE on Windows).
int ioFailure();

// Whether the platform keeps device names (NUL, COM1, ...) out of file names (isDeviceName).
bool deviceNamesReserved();

// What stopped a serial device from opening, as far as the reasons given to the user tell them apart.
enum class PortOpenCause { Missing, Busy, NoPermission, Other };
PortOpenCause portOpenCause(int systemError);

} // namespace vantrel::systemerror
