#include "tests/support/PortLinks.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

namespace vantrel::test {

PortLinks::PortLinks()
    : oldConfigHome_(qgetenv("XDG_CONFIG_HOME")), hadConfigHome_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
    if (!dir_.isValid())
        throw std::runtime_error("no temporary directory");
    QDir().mkpath(directory());
    qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
}

PortLinks::~PortLinks() {
    if (hadConfigHome_)
        qputenv("XDG_CONFIG_HOME", oldConfigHome_);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

QString PortLinks::directory() const {
    return dir_.path() + QStringLiteral("/vantrel/ports");
}

void PortLinks::link(int number, const QString& target) {
    unlink(number);
    if (!QFile::link(target, directory() + QStringLiteral("/COM%1").arg(number)))
        throw std::runtime_error("cannot make the port link");
}

void PortLinks::unlink(int number) {
    QFile::remove(directory() + QStringLiteral("/COM%1").arg(number));
}

} // namespace vantrel::test
