// ports and status against the simulator program: the listing, the decoded status, the port held by one
// invocation at a time, and the ports and modules that fail.
#include "tests/cli/CliHarness.h"
#include "tests/support/Wait.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vantrel::test;

TEST(CliPorts, ListsTheSimulatorsPortWithItsDevice) {
    SimulatorProcess sim(7, {"--no-pacing"});
    const CliRun run = runCli({"ports", "--json"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    bool found = false;
    for (const QJsonValue& port : QJsonDocument::fromJson(run.out).array()) {
        if (port["name"].toString() != "COM7")
            continue;
        found = true;
        EXPECT_EQ(port["device"].toString(), sim.terminal());
        EXPECT_TRUE(port["present"].toBool());
    }
    EXPECT_TRUE(found) << run.out.toStdString();
}

TEST(CliStatus, DecodesTheAnswerByNameAndByDevicePath) {
    SimulatorProcess sim(7, {"--no-pacing", "--inputs", "0x13", "--signal", "9", "--call", "3"});
    // The state words in the language of the run: English under an English locale, the window's under a
    // Hungarian one.
    const CliRun text = runCli({"status", "--port", "com7"}, QStringLiteral("en_GB.UTF-8"));
    ASSERT_EQ(text.status, 0) << text.err.toStdString();
    EXPECT_EQ(text.out.toStdString(), "IN1 Shorted, IN2 Shorted, IN3 Open, IN4 Open; Line in order; signal 9; "
                                      "Automatic Contact-ID reception 3\n");
    const CliRun hungarian = runCli({"status", "--port", "com7"}, QStringLiteral("hu_HU.UTF-8"));
    EXPECT_TRUE(hungarian.out.contains("Vonal rendben")) << hungarian.out.toStdString();
    EXPECT_TRUE(hungarian.out.contains("Automatikus Contact-ID")) << hungarian.out.toStdString();

    const CliRun json = runCli({"status", "--port", sim.terminal(), "--json"});
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    const QJsonObject status = QJsonDocument::fromJson(json.out).object();
    EXPECT_EQ(status["raw"].toString(), "13 09 03 00");
    EXPECT_EQ(status["signal"].toInt(), 9);
    EXPECT_EQ(status["call"]["state"].toInt(), 3);
    EXPECT_TRUE(status["line"]["ok"].toBool());
    const QJsonArray inputs = status["inputs"].toArray();
    ASSERT_EQ(inputs.size(), 4);
    EXPECT_TRUE(inputs[0]["shorted"].toBool());
    EXPECT_FALSE(inputs[2]["shorted"].toBool());
}

TEST(CliStatus, WatchHoldsThePortUntilInterrupted) {
    SimulatorProcess sim(7, {"--no-pacing"});
    QProcess watch;
    startCli(watch, {"status", "--port", "COM7", "--watch", "--json"});
    ASSERT_TRUE(waitUntil([&] { return watch.bytesAvailable() > 0 || watch.state() != QProcess::Running; }, 10000));

    // A second invocation on the same port fails at once, as a port another program holds.
    const CliRun second = runCli({"status", "--port", "COM7"});
    EXPECT_EQ(second.status, 4) << second.err.toStdString();
    EXPECT_TRUE(second.err.contains("In use by another program")) << second.err.toStdString();
    EXPECT_LT(second.ms, 3000);
    EXPECT_TRUE(second.err.contains("vantrel5-cli")) << "names the holder: " << second.err.toStdString();

    // ports says who holds it.
    const CliRun ports = runCli({"ports", "--json"});
    bool held = false;
    for (const QJsonValue& port : QJsonDocument::fromJson(ports.out).array())
        for (const QJsonValue& holder : port["heldBy"].toArray())
            held = held || (port["name"].toString() == "COM7" && holder["pid"].toInteger() == watch.processId());
    EXPECT_TRUE(held) << ports.out.toStdString();

    QByteArray lines;
    waitUntil(
        [&] {
            lines += watch.readAllStandardOutput();
            return lines.count('\n') >= 2;
        },
        10000);
    ::kill(static_cast<pid_t>(watch.processId()), SIGINT);
    ASSERT_TRUE(watch.waitForFinished(5000));
    EXPECT_EQ(watch.exitCode(), 0) << watch.readAllStandardError().toStdString();
    lines += watch.readAllStandardOutput();
    const QList<QByteArray> polls = lines.trimmed().split('\n');
    ASSERT_GE(polls.size(), 2);
    // ISO 8601 with milliseconds and the offset from UTC.
    const QRegularExpression iso(QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d)$)"));
    for (const QByteArray& poll : polls) {
        EXPECT_TRUE(QJsonDocument::fromJson(poll)["answered"].toBool()) << poll.toStdString();
        EXPECT_TRUE(iso.match(QJsonDocument::fromJson(poll)["time"].toString()).hasMatch()) << poll.toStdString();
    }
}

TEST(CliStatus, PortsAndModulesThatFail) {
    const CliRun missing = runCli({"status", "--port", "COM60"});
    EXPECT_EQ(missing.status, 4);
    EXPECT_TRUE(missing.err.contains("No such device")) << missing.err.toStdString();
    EXPECT_EQ(runCli({"status", "--port", "/dev/nonexistent-port"}).status, 4);

    SimulatorProcess silent(8, {"--no-pacing", "--silent-after", "0"});
    const CliRun mute = runCli({"status", "--port", "COM8"});
    EXPECT_EQ(mute.status, 3);
    EXPECT_TRUE(mute.err.contains("did not answer")) << mute.err.toStdString();
}

TEST(CliPorts, ProbeSaysWhichPortsAnswer) {
    SimulatorProcess module(7, {"--no-pacing"});
    SimulatorProcess mute(8, {"--no-pacing", "--silent-after", "0"});
    const CliRun run = runCli({"ports", "--probe", "--json"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QMap<QString, QString> probes;
    for (const QJsonValue& port : QJsonDocument::fromJson(run.out).array())
        probes[port["name"].toString()] = port["probe"].toString();
    EXPECT_EQ(probes.value("COM7"), "answered");
    EXPECT_EQ(probes.value("COM8"), "no-answer");
}

// A port that another program has open without a lock is skipped by the search and refused by status, naming
// that program; the listing is the product of ports, so -q keeps it.
TEST(CliPorts, APortHeldWithoutALockIsNeitherProbedNorOpened) {
    SimulatorProcess sim(7, {"--no-pacing"});
    const int holder = ::open(QFile::encodeName(sim.terminal()).constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    const CliRun probe = runCli({"ports", "--probe", "--json"});
    const CliRun status = runCli({"status", "--port", "COM7"});
    const CliRun quiet = runCli({"ports", "-q"});
    ::close(holder);
    QString probed;
    for (const QJsonValue& port : QJsonDocument::fromJson(probe.out).array())
        if (port["name"].toString() == "COM7")
            probed = port["probe"].toString();
    EXPECT_EQ(probed, "busy") << probe.out.toStdString();
    EXPECT_EQ(status.status, 4);
    EXPECT_TRUE(status.err.contains("In use by another program: test_cli (PID")) << status.err.toStdString();
    EXPECT_TRUE(quiet.out.contains("COM7\t" + sim.terminal().toUtf8())) << quiet.out.toStdString();

    // Let go, the port answers again.
    EXPECT_EQ(runCli({"status", "--port", "COM7"}).status, 0);
}

// A holder killed outright leaves a pseudo-terminal marked exclusive with nobody holding it: said as it is,
// with the way out, instead of blaming another program.
TEST(CliStatus, AStaleExclusiveMarkIsSaidWithTheWayOut) {
    SimulatorProcess sim(7, {"--no-pacing"});
    QProcess watch;
    startCli(watch, {"status", "--port", "COM7", "--watch"});
    ASSERT_TRUE(waitUntil([&] { return watch.bytesAvailable() > 0 || watch.state() != QProcess::Running; }, 10000));
    ::kill(static_cast<pid_t>(watch.processId()), SIGKILL);
    ASSERT_TRUE(watch.waitForFinished(5000));
    const CliRun after = runCli({"status", "--port", "COM7"});
    EXPECT_EQ(after.status, 4);
    EXPECT_TRUE(after.err.contains("marked for exclusive use, but no program has it open")) << after.err.toStdString();
    EXPECT_TRUE(after.err.contains("restart the program at the other end")) << after.err.toStdString();
    EXPECT_FALSE(after.err.contains("In use by another program")) << after.err.toStdString();
}

// A watch whose reader goes away (status --watch | head -1) or whose terminal hangs up ends cleanly: the port
// released, the end logged, status 4 with a line on standard error.
TEST(CliStatus, AWatchEndsCleanlyOnAClosedPipeOrAHangUp) {
    SimulatorProcess sim(7, {"--no-pacing"});
    QProcess pipeline;
    pipeline.start("bash",
                   {"-c", "set -o pipefail; \"$0\" status --port COM7 --watch | head -1", QStringLiteral(VANTREL_CLI)});
    ASSERT_TRUE(pipeline.waitForFinished(10000));
    EXPECT_EQ(pipeline.readAllStandardOutput().count('\n'), 1);
    EXPECT_EQ(pipeline.exitCode(), 4) << "the tool's own status, not death by the signal (141)";
    EXPECT_TRUE(pipeline.readAllStandardError().contains("status --watch stopped (SIGPIPE)"));
    EXPECT_EQ(runCli({"status", "--port", "COM7"}).status, 0) << "the port is free again";

    QProcess watch;
    startCli(watch, {"status", "--port", "COM7", "--watch"});
    ASSERT_TRUE(waitUntil([&] { return watch.canReadLine() || watch.state() != QProcess::Running; }, 10000));
    ::kill(static_cast<pid_t>(watch.processId()), SIGHUP);
    ASSERT_TRUE(watch.waitForFinished(5000));
    EXPECT_EQ(watch.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watch.exitCode(), 4);
    EXPECT_TRUE(watch.readAllStandardError().contains("status --watch stopped (SIGHUP)"));
    EXPECT_EQ(runCli({"status", "--port", "COM7"}).status, 0) << "the port is free again";

    QFile log(qEnvironmentVariable("XDG_STATE_HOME") + "/vantrel/events.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray entries = log.readAll();
    EXPECT_TRUE(entries.contains("(SIGPIPE)") && entries.contains("(SIGHUP)")) << entries.toStdString();
}
