// Running the real vantrel5-cli program, and the module simulator program beside it on a pseudo-terminal
// reached as a COM name, for the command-line tests.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace vantrel::test {

struct CliRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
    qint64 ms = 0; // wall time
};

// Runs vantrel5-cli with arguments (English messages unless lang says otherwise) and waits for it;
// environment adds or replaces variables ("NAME=VALUE").
CliRun runCli(const QStringList& arguments, const QString& lang = QStringLiteral("C"),
              const QStringList& environment = {});

// Starts vantrel5-cli without waiting, for the tests that interrupt it or hold a port with it.
void startCli(QProcess& process, const QStringList& arguments, const QStringList& environment = {});

// A vantrel-sim process reached as COM<com>; the options are the simulator's own.
class SimulatorProcess {
public:
    SimulatorProcess(int com, const QStringList& options);
    ~SimulatorProcess();
    QString terminal() const { return terminal_; }
    QString port() const { return QStringLiteral("COM%1").arg(com_); }

private:
    int com_;
    QProcess process_;
    QString terminal_;
};

// A folder of the test's own for files, with helpers to make and read parameter files.
class Scratch {
public:
    QString path(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }
    QString write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir dir_;
};

// 1088 bytes: a pattern in the module's 960, then 0x5A.
QByteArray patternImage(int seed);

} // namespace vantrel::test
