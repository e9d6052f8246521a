// ports and status against the simulator program: the listing, the decoded status, the port held by one
// invocation at a time, and the ports and modules that fail.
#include "tests/cli/CliHarness.h"
#include "tests/support/Wait.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>

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
    const CliRun text = runCli({"status", "--port", "com7"});
    ASSERT_EQ(text.status, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.contains("Vonal rendben")) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("Automatikus Contact-ID")) << text.out.toStdString();

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
    for (const QByteArray& poll : polls)
        EXPECT_TRUE(QJsonDocument::fromJson(poll)["answered"].toBool()) << poll.toStdString();
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
