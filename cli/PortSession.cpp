#include "cli/PortSession.h"

#include "cli/CliText.h"
#include "cli/Interrupt.h"
#include "cli/Journal.h"
#include "common/EventWait.h"
#include "serial/PortDiagnosis.h"
#include "serial/PortNames.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>

namespace vantrel::cli {

namespace {

// How often a wait looks at the link besides the events that end it early.
constexpr int kLinkCheckMs = 50;

// The driver opens ports by COM name only. A device path is opened as COM1 through a private link
// directory that exists only for the moment of opening, so the path given is exactly the device opened
// (the user's own links and the fixed ranges cannot redirect it).
void openDevicePath(TSerialPort& port, const QString& device) {
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir().mkpath(dir.path() + "/vantrel/ports") ||
        !QFile::link(device, dir.path() + "/vantrel/ports/COM1"))
        throw ESerialPort(ESerialPort::OpenFailed, ioFailureError());
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const bool hadSaved = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    auto restore = [&] {
        if (hadSaved)
            qputenv("XDG_CONFIG_HOME", saved);
        else
            qunsetenv("XDG_CONFIG_HOME");
    };
    try {
        port.setPort(QStringLiteral("COM1"));
        port.setConnected(true);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

} // namespace

PortTarget resolvePort(const QString& argument) {
    PortTarget target{argument, {}, {}};
    if (argument.startsWith('/')) {
        target.device = argument;
        return target;
    }
    static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]?)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = com.match(argument);
    if (!match.hasMatch() || match.captured(1).toInt() > HighestPortNumber)
        throw CliError(UsageError, say("hibás portnév: %1 (COM1..COM96 vagy eszközútvonal, pl. /dev/ttyUSB0)",
                                       "bad port name: %1 (COM1..COM96 or a device path such as /dev/ttyUSB0)")
                                       .arg(argument));
    target.comName = QStringLiteral("COM") + match.captured(1);
    target.device = devicePathForPort(target.comName);
    return target;
}

PortSession::PortSession(const QString& argument) : target_(resolvePort(argument)) {
    catchInterrupts();
    TSerialPort& port = link_.ComPort1();
    try {
        if (target_.comName.isEmpty()) {
            openDevicePath(port, target_.device);
        } else {
            port.setPort(target_.comName);
            port.setConnected(true);
        }
    } catch (const ESerialPort& error) {
        refuse(error.SystemError() > 0 ? error.SystemError() : ioFailureError());
    }
    // A program that opened the device without a lock (a terminal program, cat) would take the module's
    // answers from under us, or talk to it between our frames: such a port is busy, though it opened.
    if (!portHolders(resolvedDevice()).isEmpty()) {
        port.setConnected(false);
        refuse(EBUSY);
    }
}

QString PortSession::resolvedDevice() const {
    const QFileInfo info(target_.device);
    return info.isSymLink() ? info.symLinkTarget() : target_.device;
}

void PortSession::refuse(int err) const {
    const QString device = resolvedDevice();
    logEvent(target_.name,
             QStringLiteral("Sikertelen kapcsolódás: ") + portOpenReason(err, device, TextLanguage::Hungarian));
    const QString where = target_.comName.isEmpty() ? target_.name : target_.name + QStringLiteral(" (%1)").arg(device);
    const TextLanguage lang = language() == Language::Hungarian ? TextLanguage::Hungarian : TextLanguage::English;
    throw CliError(PortFailed, say("a port nem nyitható meg: %1: %2", "cannot open port %1: %2")
                                   .arg(where, portOpenReason(err, device, lang)));
}

PortSession::~PortSession() = default;

bool PortSession::linkLost() const {
    return !link_.ComPort1().Connected() || !link_.ComPort1().monitorRunning();
}

QString PortSession::linkLostText() const {
    return say("megszakadt a soros kapcsolat: %1", "the serial link was lost: %1").arg(target_.name);
}

bool PortSession::waitFor(const std::function<bool()>& done, int ms) {
    if (done())
        return true;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || linkLost() || interrupted())
            loop.quit();
    });
    deadline.start(ms);
    check.start(kLinkCheckMs);
    // Arrivals are handled inside processEvents; the check after each batch ends the wait without delay.
    while (!done() && !linkLost() && !interrupted() && deadline.isActive())
        waitForEvents();
    return done();
}

} // namespace vantrel::cli
