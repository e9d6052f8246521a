// Finding who holds a device by its open descriptors in /proc, and the reason of a failed open.
#include "serial/PortDiagnosis.h"

#include <QDir>
#include <QFile>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

QList<PortHolder> portHolders(const QString& devicePath) {
    QList<PortHolder> holders;
    struct stat dev {};
    if (::stat(QFile::encodeName(devicePath).constData(), &dev) != 0)
        return holders;
    const pid_t self = ::getpid();
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& p : pids) {
        bool ok = false;
        const pid_t pid = p.toInt(&ok);
        if (!ok || pid == self)
            continue;
        const QString fdDir = QStringLiteral("/proc/%1/fd").arg(pid);
        const QStringList fds = QDir(fdDir).entryList(QDir::System | QDir::NoDotAndDotDot);
        for (const QString& fd : fds) {
            struct stat st {};
            // stat follows the descriptor's link to the open file itself: same device node, same rdev.
            if (::stat(QFile::encodeName(fdDir + QLatin1Char('/') + fd).constData(), &st) != 0)
                continue;
            if (S_ISCHR(st.st_mode) && st.st_rdev == dev.st_rdev) {
                QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
                QString name;
                if (comm.open(QIODevice::ReadOnly))
                    name = QString::fromLocal8Bit(comm.readAll()).trimmed();
                holders.append({pid, name});
                break;
            }
        }
    }
    return holders;
}

QString portOpenReason(int systemError, const QString& devicePath, TextLanguage language) {
    QString holder;
    if (systemError == EBUSY) {
        const auto holders = portHolders(devicePath);
        if (!holders.isEmpty())
            holder = QStringLiteral("%1 (PID %2)").arg(holders.first().name).arg(holders.first().pid);
    }
    QString groupName;
    struct stat st {};
    if (::stat(QFile::encodeName(devicePath).constData(), &st) == 0) {
        if (const struct group* g = ::getgrgid(st.st_gid))
            groupName = QString::fromLocal8Bit(g->gr_name);
    }
    return portOpenReasonText(systemError, holder, groupName, language);
}

} // namespace vantrel
