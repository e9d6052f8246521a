// The event log file at the edges on Linux: pipes, devices and links in its place, and a full disk.
#include "monitor/EventLog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using vantrel::EventLog;

namespace {
struct StateHome {
    QTemporaryDir dir;
    StateHome() { qputenv("XDG_STATE_HOME", dir.path().toUtf8()); }
    ~StateHome() { qunsetenv("XDG_STATE_HOME"); }
};
} // namespace

TEST(EventLog, DevicesAndPipesInTheLogsPlaceAreNeitherWrittenNorWaitedFor) {
    QTemporaryDir dir;
    QStringList warnings;
    EventLog::setWarningHandler([&](const QString& w) { warnings << w; });
    // A full disk: /dev/full as the log file.
    qputenv("XDG_STATE_HOME", dir.path().toUtf8());
    QDir().mkpath(dir.path() + "/vantrel");
    if (QFile::link("/dev/full", dir.path() + "/vantrel/events.log")) {
        EXPECT_FALSE(EventLog::append("c"));
        // Reading it back must not read a device's endless zeros.
        EXPECT_TRUE(EventLog::read().isEmpty());
    }
    // A pipe in the log's place: reading returns at once instead of waiting for a writer.
    QFile::remove(dir.path() + "/vantrel/events.log");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.path() + "/vantrel/events.log").constData(), 0600), 0);
    EXPECT_TRUE(EventLog::read().isEmpty());
    EventLog::setWarningHandler({});
    qunsetenv("XDG_STATE_HOME");
}

TEST(EventLog, NeverWaitsOnAPipeNorFollowsALink) {
    StateHome home;
    QDir().mkpath(home.dir.path() + "/vantrel");
    const QByteArray log = QFile::encodeName(EventLog::path());
    QStringList warnings;
    EventLog::setWarningHandler([&](const QString& w) { warnings << w; });
    ASSERT_TRUE(EventLog::append("jó"));
    QFile::remove(EventLog::path());
    // A pipe nobody reads, and one with a reader: neither blocks, neither is written.
    ASSERT_EQ(::mkfifo(log.constData(), 0600), 0);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(EventLog::append("a"));
    const int reader = ::open(log.constData(), O_RDONLY | O_NONBLOCK);
    EXPECT_FALSE(EventLog::append("b"));
    char byte;
    EXPECT_LE(::read(reader, &byte, 1), 0) << "a line went into the pipe";
    ::close(reader);
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(warnings.size(), 1);
    // A link in the log's place, to a file of someone else's: the file stays as it was.
    QFile::remove(EventLog::path());
    QFile secret(home.dir.path() + "/secret");
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("private\n");
    secret.close();
    ASSERT_TRUE(QFile::link(secret.fileName(), EventLog::path()));
    EXPECT_FALSE(EventLog::append("c"));
    ASSERT_TRUE(secret.open(QIODevice::ReadOnly));
    EXPECT_EQ(secret.readAll(), QByteArray("private\n"));
    EventLog::setWarningHandler({});
}

TEST(EventLog, ALineOnAFullDiskIsWrittenWholeOrNotAtAll) {
    StateHome home;
    ASSERT_TRUE(EventLog::append("első"));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The file size limit stands in for a full disk: the write stops part way into the line.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit full{static_cast<rlim_t>(QFileInfo(EventLog::path()).size() + 30), limit.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &full);
        const bool cut = EventLog::append(QString(200, 'x'));
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(!cut && EventLog::append("harmadik") ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto entries = EventLog::read();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].text, QString("harmadik"));
    EXPECT_TRUE(entries[0].time.isValid()) << "glued to the remains of a cut line";
    EXPECT_EQ(entries[1].text, QString("első"));
}
