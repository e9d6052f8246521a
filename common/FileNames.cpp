#include "common/FileNames.h"

namespace vantrel {

bool isDeviceName(const QString& fileName) {
    // The system looks only at what comes before the first dot, and drops the blanks that end it.
    QString stem = fileName.section(QLatin1Char('.'), 0, 0);
    while (stem.endsWith(QLatin1Char(' ')))
        stem.chop(1);
    stem = stem.toUpper();
    for (const char* name : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (stem == QLatin1String(name))
            return true;
    if (stem.size() != 4 || !(stem.startsWith(QLatin1String("COM")) || stem.startsWith(QLatin1String("LPT"))))
        return false;
    const QChar digit = stem.at(3);
    return (digit >= QLatin1Char('0') && digit <= QLatin1Char('9')) || digit == QChar(0x00B9) ||
           digit == QChar(0x00B2) || digit == QChar(0x00B3);
}

} // namespace vantrel
