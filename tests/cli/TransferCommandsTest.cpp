// read, write and compare against the simulator program: the files they leave (or do not leave), the
// backup, the differences as JSON, and the failures with their statuses, Ctrl+C in a write included.
#include "tests/cli/CliHarness.h"
#include "tests/support/Pty.h"
#include "tests/support/Wait.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>

using namespace vantrel::test;

TEST(CliTransfer, ReadWriteCompareRoundTrip) {
    Scratch files;
    const QByteArray module = patternImage(1);
    SimulatorProcess sim(7, {"--no-pacing", "--memory", files.write("module.VT3", module)});

    // read: the module's 960 bytes, the rest zero, nothing on standard output with -q.
    const CliRun read = runCli({"read", "--port", "COM7", "-q", files.path("read.VT3")});
    ASSERT_EQ(read.status, 0) << read.err.toStdString();
    EXPECT_TRUE(read.out.isEmpty());
    EXPECT_TRUE(read.err.isEmpty()) << "no progress on a pipe: " << read.err.toStdString();
    const QByteArray got = files.read("read.VT3");
    ASSERT_EQ(got.size(), 1088);
    EXPECT_EQ(got.left(960), module.left(960));
    EXPECT_EQ(got.mid(960), QByteArray(128, '\0'));

    // compare equal, then write another image (backup first) and compare the first again: field rows.
    EXPECT_EQ(runCli({"compare", "--port", "COM7", files.path("read.VT3")}).status, 0);
    QByteArray changed = got;
    changed[282] = char(10); // CallMax
    const CliRun write = runCli({"write", "--port", "COM7", "--progress", files.write("changed.VT3", changed)});
    ASSERT_EQ(write.status, 0) << write.err.toStdString();
    EXPECT_TRUE(write.out.contains("verified")) << write.out.toStdString();
    EXPECT_TRUE(write.err.contains("15/15")) << "--progress on a pipe: " << write.err.toStdString();
    // The windows' event log has the command-line operations too.
    QFile log(qEnvironmentVariable("XDG_STATE_HOME") + "/vantrel/events.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString entries = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(entries.contains("vantrel5-cli COM7: Beolvasás kész")) << entries.toStdString();
    EXPECT_TRUE(entries.contains("vantrel5-cli COM7: Áttöltés kész és ellenőrizve")) << entries.toStdString();
    const QStringList backups =
        QDir(qEnvironmentVariable("XDG_DATA_HOME") + "/vantrel/backups").entryList({"*.VT3"}, QDir::Files);
    ASSERT_FALSE(backups.isEmpty());

    const CliRun compare = runCli({"compare", "--port", "COM7", "--json", files.path("read.VT3")});
    EXPECT_EQ(compare.status, 1) << compare.err.toStdString();
    const QJsonObject result = QJsonDocument::fromJson(compare.out).object();
    EXPECT_FALSE(result["equal"].toBool());
    const QJsonArray differences = result["differences"].toArray();
    ASSERT_EQ(differences.size(), 1) << compare.out.toStdString();
    EXPECT_EQ(differences[0]["field"].toString(), "CallMax");
    EXPECT_EQ(differences[0]["offset"].toInt(), 282);
    EXPECT_EQ(differences[0]["left"].toInt(), 10); // the module
}

TEST(CliTransfer, FailedReadsLeaveNoFileAndSayWhy) {
    Scratch files;
    {
        SimulatorProcess sim(7, {"--no-pacing", "--wrong-page=5"});
        const CliRun wrong = runCli({"read", "--port", "COM7", files.path("none.VT3")});
        EXPECT_EQ(wrong.status, 3);
        EXPECT_TRUE(wrong.err.contains("wrong page address (page 6/15)")) << wrong.err.toStdString();
        EXPECT_FALSE(QFile::exists(files.path("none.VT3")));
    }
    {
        SimulatorProcess sim(7, {"--no-pacing", "--hangup-after", "3"});
        const CliRun lost = runCli({"read", "--port", "COM7", files.path("none.VT3")});
        EXPECT_EQ(lost.status, 4);
        EXPECT_TRUE(lost.err.contains("link was lost")) << lost.err.toStdString();
        EXPECT_FALSE(QFile::exists(files.path("none.VT3")));
    }
    // A file the user may not write is refused before the module is touched, and stays as it was.
    const QString kept = files.write("kept.VT3", patternImage(2));
    QFile::setPermissions(kept, QFileDevice::ReadOwner);
    const CliRun denied = runCli({"read", "--port", "COM7", kept});
    EXPECT_EQ(denied.status, 5) << denied.err.toStdString();
    EXPECT_EQ(files.read("kept.VT3"), patternImage(2));
    EXPECT_EQ(runCli({"read", "--port", "COM7", QDir::tempPath()}).status, 5);
}

TEST(CliTransfer, InterruptedWriteStopsAndSaysTheModuleIsPartlyWritten) {
    Scratch files;
    // Paced at 19200 baud, so the write is still on the wire when Ctrl+C comes.
    SimulatorProcess sim(7, {});
    QProcess write;
    startCli(write, {"write", "--port", "COM7", "--no-backup", "--progress", files.write("w.VT3", patternImage(3))});
    QByteArray progress;
    ASSERT_TRUE(waitUntil(
        [&] {
            progress += write.readAllStandardError();
            return progress.contains("Write: 3/15") || write.state() != QProcess::Running;
        },
        20000))
        << progress.toStdString();
    ::kill(static_cast<pid_t>(write.processId()), SIGINT);
    ASSERT_TRUE(write.waitForFinished(5000)) << "the write must end soon after Ctrl+C";
    EXPECT_EQ(write.exitCode(), 4);
    progress += write.readAllStandardError();
    EXPECT_TRUE(progress.contains("stopped")) << progress.toStdString();
    EXPECT_TRUE(progress.contains("only partly changed")) << progress.toStdString();
}

// A hang-up (the SSH session gone) or a closed pipe (the reader of the progress gone) in the middle of a
// write: as after Ctrl+C, the write stops at a page, the port is released, the outcome is logged naming
// the signal, and the status is 4 with the outcome on standard error where there still is one.
TEST(CliTransfer, AHangUpOrAClosedPipeStopsAWriteAtAPage) {
    Scratch files;
    SimulatorProcess sim(7, {});
    const QString file = files.write("w.VT3", patternImage(4));
    const auto logged = [](const char* signal) {
        QFile log(qEnvironmentVariable("XDG_STATE_HOME") + "/vantrel/events.log");
        return log.open(QIODevice::ReadOnly) &&
               QString::fromUtf8(log.readAll()).contains(QStringLiteral("részben módosult! (%1) Fájl: ").arg(signal));
    };
    {
        QProcess write;
        startCli(write, {"write", "--port", "COM7", "--no-backup", "--progress", file});
        QByteArray progress;
        ASSERT_TRUE(waitUntil(
            [&] {
                progress += write.readAllStandardError();
                return progress.contains("Write: 2/15") || write.state() != QProcess::Running;
            },
            20000))
            << progress.toStdString();
        ::kill(static_cast<pid_t>(write.processId()), SIGHUP);
        ASSERT_TRUE(write.waitForFinished(5000)) << "the write must end soon after the signal";
        EXPECT_EQ(write.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(write.exitCode(), 4);
        progress += write.readAllStandardError();
        EXPECT_TRUE(progress.contains("Write stopped (page")) << progress.toStdString();
        EXPECT_TRUE(progress.contains("only partly changed! (SIGHUP)")) << progress.toStdString();
        EXPECT_TRUE(logged("SIGHUP"));
        EXPECT_EQ(runCli({"status", "--port", "COM7"}).status, 0) << "the port is free again";
    }
    // The progress read by head, which leaves after a few lines.
    QProcess pipeline;
    pipeline.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    pipeline.start("bash", {"-c",
                            "set -o pipefail; \"$0\" write --port COM7 --no-backup --progress \"$1\" 2>&1 "
                            ">/dev/null | head -c 150 >/dev/null",
                            QStringLiteral(VANTREL_CLI), file});
    ASSERT_TRUE(pipeline.waitForFinished(30000));
    EXPECT_EQ(pipeline.exitCode(), 4) << "the tool's own status, not death by the signal (141)";
    EXPECT_TRUE(logged("SIGPIPE"));
    EXPECT_EQ(runCli({"status", "--port", "COM7"}).status, 0) << "the port is free again";
}

// Progress on a terminal: the backup line on a line of its own, no empty line after the progress, and no
// escape sequences for a terminal that knows none.
TEST(CliTransfer, ProgressOnATerminalKeepsLinesApart) {
    Scratch files;
    SimulatorProcess sim(7, {"--no-pacing"});
    const QString file = files.write("t.VT3", patternImage(5));
    for (const char* term : {"dumb", "xterm"}) {
        SCOPED_TRACE(term);
        PtyPair terminal;
        QProcess write;
        write.setStandardOutputFile(terminal.terminalPath());
        write.setStandardErrorFile(terminal.terminalPath());
        startCli(write, {"write", "--port", "COM7", file}, {QStringLiteral("TERM=") + term});
        ASSERT_TRUE(write.waitForFinished(20000));
        EXPECT_EQ(write.exitCode(), 0);
        const QByteArray shown = terminal.read(500);
        EXPECT_TRUE(shown.contains("\nBackup before write: /")) << shown.toStdString();
        EXPECT_FALSE(shown.contains("...Backup before write: /")) << shown.toStdString();
        EXPECT_FALSE(shown.contains("\n\n")) << shown.toStdString();
        EXPECT_TRUE(shown.contains(".VT3\nWrite complete and verified: 15/15 pages.")) << shown.toStdString();
        EXPECT_EQ(shown.contains('\x1b'), QByteArray(term) != "dumb") << shown.toStdString();
    }
}

TEST(CliTransfer, EveryWriteNamesItsBackupAndAnExportIsWrittenAsItsValues) {
    Scratch files;
    const QByteArray module = patternImage(12);
    const QString memory = files.write("module.VT3", module);
    const QByteArray wanted = patternImage(13);
    files.write("site.VT3", wanted);
    ASSERT_EQ(runCli({"export", files.path("site.VT3"), "-o", files.path("site.json")}).status, 0);
    {
        SimulatorProcess sim(7, {"--no-pacing", "--memory", memory});
        // The export's values reach the module, never its text.
        const CliRun write = runCli({"write", "--port", "COM7", files.path("site.json")});
        ASSERT_EQ(write.status, 0) << write.err.toStdString();
        EXPECT_TRUE(QRegularExpression("Backup: \\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d_COM7_[0-9a-f]{4}\\.VT3")
                        .match(QString::fromUtf8(write.out))
                        .hasMatch())
            << write.out.toStdString();
        ASSERT_EQ(runCli({"read", "--port", "COM7", "-q", files.path("back.VT3")}).status, 0);
        EXPECT_EQ(files.read("back.VT3").left(960), wanted.left(960));
    }
    {
        // A failed write names its backup even with -q: it holds what the module had. The line drops
        // after the 15 pages of the backup and two pages written.
        SimulatorProcess sim(7, {"--no-pacing", "--hangup-after", "17"});
        const CliRun failed = runCli({"write", "-q", "--port", "COM7", files.path("site.VT3")});
        EXPECT_EQ(failed.status, 4);
        EXPECT_TRUE(failed.err.contains("Backup: ") && failed.err.contains("_COM7_")) << failed.err.toStdString();
    }
    {
        // A backup that cannot be saved: the path and the system's reason, and nothing written.
        SimulatorProcess sim(7, {"--no-pacing"});
        const QByteArray previous = qgetenv("XDG_DATA_HOME");
        const QString blocker = files.write("not-a-folder", "x");
        qputenv("XDG_DATA_HOME", QFile::encodeName(blocker));
        const CliRun unsaved = runCli({"write", "--port", "COM7", files.path("site.VT3")});
        qputenv("XDG_DATA_HOME", previous);
        EXPECT_EQ(unsaved.status, 5);
        EXPECT_TRUE(unsaved.err.contains(QFile::encodeName(blocker + "/vantrel"))) << unsaved.err.toStdString();
        EXPECT_TRUE(unsaved.err.contains("Not a directory")) << unsaved.err.toStdString();
    }
}
