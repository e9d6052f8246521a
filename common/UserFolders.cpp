#include "common/UserFolders.h"

#include <QDir>

namespace vantrel {

QString folderFromEnvironment(const char* variable, const QString& fallback, const QString& sub) {
    QString base = qEnvironmentVariable(variable);
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = fallback;
    return QDir::cleanPath(QDir::fromNativeSeparators(base) + QLatin1Char('/') + sub);
}

} // namespace vantrel
