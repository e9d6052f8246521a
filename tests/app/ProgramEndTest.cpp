// The real program ended by the system (log-out, kill, Ctrl+C) still ends as closing it does: the port
// choice reaches VantrelSetup.ini.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

TEST(ProgramEnd, TerminationSignalsSaveThePortLikeAClose) {
    const QString tool = qEnvironmentVariable("VANTREL_TOOL");
    if (!QFile::exists(tool))
        GTEST_SKIP() << "VANTREL_TOOL does not name the built program";
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        QTemporaryDir cwd;
        QFile ini(cwd.filePath(QStringLiteral("VantrelSetup.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("2,1\r\ncw 0,20\r\ncw 1,20\r\n0,0,COM7\r\n");
        ini.close();
        QProcess program;
        program.setWorkingDirectory(cwd.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), cwd.path());
        program.setProcessEnvironment(env);
        program.start(tool, {});
        ASSERT_TRUE(program.waitForStarted());
        // Once it has read the file, the program rewrites it on its way out: remove it to see that happen.
        program.waitForFinished(1500);
        ASSERT_EQ(program.state(), QProcess::Running);
        ASSERT_TRUE(QFile::remove(ini.fileName()));
        const qint64 pid = program.processId();
        ASSERT_GT(pid, 0); // kill(0, ...) would signal the whole test run
        ::kill(static_cast<pid_t>(pid), signal);
        ASSERT_TRUE(program.waitForFinished(5000)) << signal;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(program.exitCode(), 0) << signal;
        ASSERT_TRUE(ini.open(QIODevice::ReadOnly)) << signal;
        EXPECT_EQ(ini.readAll(), QByteArray("2,1\r\ncw 0,20\r\ncw 1,20\r\n0,0,COM7\r\n")) << signal;
    }
}
