// The port names the tool and its files use; the device behind a name is the platform's (posix/, win32/).
#include "serial/PortNames.h"

namespace vantrel {

QString normalisePortName(const QString& text) {
    QString rest = text;
    if (rest.left(3).toUpper() == QLatin1String("COM"))
        rest.remove(0, 3);
    bool ok = false;
    // Blanks around the number are allowed, as a number typed by hand often has one.
    int number = rest.trimmed().toInt(&ok, 10);
    if (!ok || number < 1 || number > HighestPortNumber)
        number = 1;
    return QStringLiteral("COM%1").arg(number);
}

} // namespace vantrel
