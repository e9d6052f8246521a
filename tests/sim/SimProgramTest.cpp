// The vantrel-sim program itself: what it prints, the port link it makes and removes, its commands on
// standard input, and how it ends.
#include "tests/sim/ToolSide.h"
#include "tests/support/PortLinks.h"
#include "tests/support/Wait.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <signal.h>

using namespace vantrel::test;

namespace {

// CTest names the program; run by hand, the test finds it at the top of its build directory.
QString simulatorProgram() {
    const QString named = qEnvironmentVariable("VANTREL_SIM");
    return named.isEmpty() ? QCoreApplication::applicationDirPath() + "/../../vantrel-sim" : named;
}

// A running vantrel-sim whose first line (the terminal path) has been read.
class RunningSimulator {
public:
    explicit RunningSimulator(const QStringList& args) {
        process_.start(simulatorProgram(), args);
        started_ = process_.waitForStarted(5000);
        if (started_ && waitUntil([this] { return process_.canReadLine() || process_.state() != QProcess::Running; }))
            path_ = QString::fromLocal8Bit(process_.readLine()).trimmed().toStdString();
    }
    ~RunningSimulator() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    const std::string& path() const { return path_; }
    QProcess& process() { return process_; }
    void type(const char* line) {
        process_.write(line);
        process_.write("\n");
        process_.waitForBytesWritten(5000);
    }
    // Waits for the program to end by itself; false when it is still running.
    bool waitForEnd() {
        return waitUntil([this] { return process_.state() == QProcess::NotRunning; }, 10000);
    }

private:
    QProcess process_;
    bool started_ = false;
    std::string path_;
};

} // namespace

TEST(SimProgram, PrintsTheTerminalPathAndAnswersOnIt) {
    ASSERT_TRUE(QFileInfo(simulatorProgram()).isExecutable()) << simulatorProgram().toStdString();
    RunningSimulator sim({"--no-pacing", "--inputs", "0x1f", "--signal", "9", "--call", "3"});
    ASSERT_EQ(sim.path().rfind("/dev/pts/", 0), 0u) << sim.path();
    ToolSide tool(sim.path());
    tool.sendPoll();
    const auto frames = tool.readFrames(1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][1], 0x24);
    EXPECT_EQ(frames[0][11], 0x1F);
    EXPECT_EQ(frames[0][12], 9);
    EXPECT_EQ(frames[0][13], 3);
}

TEST(SimProgram, MakesThePortLinkAndRemovesItOnQuit) {
    PortLinks links; // XDG_CONFIG_HOME for the child points into a private directory
    const QString link = links.directory() + "/COM7";
    RunningSimulator sim({"--no-pacing", "--com", "7"});
    ASSERT_FALSE(sim.path().empty());
    EXPECT_EQ(QFileInfo(link).symLinkTarget().toStdString(), sim.path());
    sim.type("quit");
    ASSERT_TRUE(sim.waitForEnd());
    EXPECT_EQ(sim.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.process().exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST(SimProgram, RemovesThePortLinkOnTerminationAndReplacesOnlyADanglingOne) {
    PortLinks links;
    const QString link = links.directory() + "/COM3";
    links.link(3, links.directory() + "/gone"); // left behind by an earlier run
    RunningSimulator sim({"--com", "3"});
    ASSERT_FALSE(sim.path().empty());
    EXPECT_EQ(QFileInfo(link).symLinkTarget().toStdString(), sim.path());

    RunningSimulator second({"--com", "3"}); // the link is taken by a live terminal
    ASSERT_TRUE(second.waitForEnd());
    EXPECT_EQ(second.process().exitCode(), 1);
    EXPECT_TRUE(second.process().readAllStandardError().contains("COM3"));

    ::kill(static_cast<pid_t>(sim.process().processId()), SIGTERM);
    ASSERT_TRUE(sim.waitForEnd());
    EXPECT_EQ(sim.process().exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST(SimProgram, BadOptionsEndWithStatus2AndAMessage) {
    const QStringList cases[] = {{"--bogus"}, {"--signal", "300"}, {"--drop-block"}, {"--memory", "/nonexistent.VT3"}};
    for (const QStringList& args : cases) {
        QProcess process;
        process.start(simulatorProgram(), args);
        ASSERT_TRUE(process.waitForFinished(10000)) << args.join(' ').toStdString();
        EXPECT_EQ(process.exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
        const QByteArray error = process.readAllStandardError();
        EXPECT_TRUE(error.startsWith("vantrel-sim: ")) << error.toStdString();
        EXPECT_TRUE(error.contains(args.last().toUtf8()) || error.contains(args.first().toUtf8()))
            << error.toStdString();
    }
}

TEST(SimProgram, HelpListsTheOptionsAndEndsWell) {
    QProcess process;
    process.start(simulatorProgram(), {"--help"});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0);
    const QByteArray help = process.readAllStandardOutput();
    EXPECT_TRUE(help.startsWith("Usage: vantrel-sim"));
    EXPECT_TRUE(help.contains("--hangup-after"));
}

TEST(SimProgram, LoadsTheMemoryFileAndTakesCommands) {
    QTemporaryDir dir;
    QByteArray image(1088, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>(i % 253);
    QFile file(dir.filePath("module.VT3"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(image);
    file.close();

    RunningSimulator sim({"--no-pacing", "--memory", file.fileName()});
    ToolSide tool(sim.path());
    tool.sendRequest(0x1C, 3);
    auto frames = tool.readFrames(7);
    ASSERT_EQ(frames.size(), 7u);
    Page page{};
    assemblePage(frames, page);
    EXPECT_TRUE(std::equal(page.begin(), page.end(), image.begin() + 3 * 64,
                           [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));

    sim.type("text 2 Sz\xC3\xA9l"); // "Szél", typed in UTF-8
    sim.type("status signal=17");
    frames = tool.readFrames(1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][1], 0x32);
    EXPECT_EQ(std::string(frames[0].begin() + 2, frames[0].begin() + 8), "Sz\xE9l\r\n");
    ASSERT_TRUE(waitUntil([&] { return sim.process().canReadLine(); }));
    EXPECT_EQ(sim.process().readLine().trimmed().toStdString(), "status inputs=0x10 signal=17 call=0 spare=0");
    tool.sendPoll();
    frames = tool.readFrames(1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][12], 17);

    sim.type("nonsense");
    ASSERT_TRUE(waitUntil([&] { return sim.process().readAllStandardError().contains("unknown command"); }));
}

TEST(SimProgram, EndsByItselfWhenTheHangUpFaultClosesTheLine) {
    PortLinks links;
    RunningSimulator sim({"--no-pacing", "--hangup-after", "0", "--com", "9"});
    ToolSide tool(sim.path());
    tool.sendRequest(0x1C, 0);
    EXPECT_TRUE(tool.waitForHangUp());
    ASSERT_TRUE(sim.waitForEnd());
    EXPECT_EQ(sim.process().exitCode(), 0);
    EXPECT_FALSE(QFileInfo(links.directory() + "/COM9").isSymLink());
}

TEST(SimProgram, EndOfInputDoesNotEndIt) {
    RunningSimulator sim({"--no-pacing"});
    sim.process().closeWriteChannel();
    ToolSide tool(sim.path());
    pumpEvents(100);
    tool.sendPoll();
    EXPECT_EQ(tool.readFrames(1).size(), 1u);
    EXPECT_EQ(sim.process().state(), QProcess::Running);
}
