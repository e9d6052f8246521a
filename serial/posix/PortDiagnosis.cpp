// On Linux: finding who holds a device by its open descriptors and locks in /proc, and the reason of a
// failed open from its errno.
#include "serial/PortDiagnosis.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace vantrel {

namespace {

QString programName(qint64 pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    return comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed() : QString();
}

QString holderText(const PortHolder& holder) {
    return holder.name.isEmpty() ? QStringLiteral("PID %1").arg(holder.pid)
                                 : QStringLiteral("%1 (PID %2)").arg(holder.name).arg(holder.pid);
}

} // namespace

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
                holders.append({pid, programName(pid)});
                break;
            }
        }
    }
    return holders;
}

QList<PortHolder> portLockHolders(const QString& devicePath) {
    QList<PortHolder> holders;
    struct stat dev {};
    if (::stat(QFile::encodeName(devicePath).constData(), &dev) != 0)
        return holders;
    // "1: FLOCK  ADVISORY  WRITE 4711 00:19:5 0 EOF": the holder's pid, then the file as
    // major:minor:inode of the file system the node lives on (hex, hex, decimal). Waiters ("->") hold nothing.
    const QString file = QStringLiteral("%1:%2:%3")
                             .arg(major(dev.st_dev), 2, 16, QLatin1Char('0'))
                             .arg(minor(dev.st_dev), 2, 16, QLatin1Char('0'))
                             .arg(dev.st_ino);
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly | QIODevice::Text))
        return holders;
    const pid_t self = ::getpid();
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QList<QByteArray> cells = line.simplified().split(' ');
        if (cells.size() < 6 || cells[1] != "FLOCK" || QString::fromLatin1(cells[5]) != file)
            continue;
        bool ok = false;
        const pid_t pid = cells[4].toInt(&ok);
        if (ok && pid != self)
            holders.append({pid, programName(pid)});
    }
    return holders;
}

bool isPortBusyError(int systemError) {
    return systemError == EBUSY;
}

int portBusyError() {
    return EBUSY;
}

QString portOpenReason(int systemError, const QString& devicePath, TextLanguage language) {
    QString holder;
    if (systemError == EBUSY) {
        QList<PortHolder> holders = portHolders(devicePath);
        if (holders.isEmpty())
            holders = portLockHolders(devicePath);
        if (holders.isEmpty())
            return staleExclusiveText(language);
        holder = holderText(holders.first());
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
