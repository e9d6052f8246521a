#include "tests/cli/CliHarness.h"

#include "tests/support/Wait.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <stdexcept>

namespace vantrel::test {

namespace {

QProcessEnvironment environment(const QString& lang, const QStringList& extra) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LC_ALL"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    env.insert(QStringLiteral("LANG"), lang);
    for (const QString& variable : extra)
        env.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    return env;
}

} // namespace

CliRun runCli(const QStringList& arguments, const QString& lang, const QStringList& extra) {
    QProcess process;
    process.setProcessEnvironment(environment(lang, extra));
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(VANTREL_CLI), arguments);
    process.waitForFinished(60000);
    CliRun run;
    run.ms = timer.elapsed();
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

void startCli(QProcess& process, const QStringList& arguments, const QStringList& extra) {
    process.setProcessEnvironment(environment(QStringLiteral("C"), extra));
    process.start(QStringLiteral(VANTREL_CLI), arguments);
    process.waitForStarted(5000);
}

SimulatorProcess::SimulatorProcess(int com, const QStringList& options) : com_(com) {
    process_.start(QStringLiteral(VANTREL_SIM_PROGRAM), QStringList{"--com", QString::number(com)} + options);
    if (!process_.waitForStarted(5000) ||
        !waitUntil([this] { return process_.canReadLine() || process_.state() != QProcess::Running; }, 10000))
        throw std::runtime_error("the simulator did not start");
    terminal_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
}

SimulatorProcess::~SimulatorProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
}

QString Scratch::write(const QString& name, const QByteArray& bytes) const {
    QFile file(path(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write a scratch file");
    return path(name);
}

QByteArray Scratch::read(const QString& name) const {
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray patternImage(int seed) {
    QByteArray bytes(1088, char(0x5A));
    for (int i = 0; i < 960; ++i)
        bytes[i] = char((i * 7 + seed * 13) & 0xFF);
    return bytes;
}

} // namespace vantrel::test
