// The event log file: lines, order, rotation, two writers at once, and a log that cannot be written.
#include "monitor/EventLog.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
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

TEST(EventLog, AppendsReadsNewestFirstAndRotates) {
    StateHome home;
    EXPECT_EQ(EventLog::path(), home.dir.path() + "/vantrel/events.log");
    ASSERT_TRUE(EventLog::append("első"));
    ASSERT_TRUE(EventLog::append("második\nsor"));
    auto entries = EventLog::read();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].text, QString("második sor"));
    EXPECT_EQ(entries[1].text, QString("első"));
    EXPECT_TRUE(entries[0].time.isValid());

    // Fill past the rotation size several times: never more than 5 files, each within bounds.
    const QString filler(2000, QLatin1Char('x'));
    for (int i = 0; i < 6 * 1024 * 1024 / 2000; ++i)
        ASSERT_TRUE(EventLog::append(filler));
    ASSERT_TRUE(EventLog::append("utolsó"));
    EXPECT_TRUE(QFile::exists(EventLog::path() + ".4"));
    EXPECT_FALSE(QFile::exists(EventLog::path() + ".5"));
    EXPECT_LE(QFileInfo(EventLog::path() + ".1").size(), EventLog::kRotateSize + 4096);
    entries = EventLog::read(3);
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].text, QString("utolsó"));
}

TEST(EventLog, TwoProcessesAppendWholeLines) {
    StateHome home;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    const QString mine = child == 0 ? QString(300, 'c') : QString(300, 'p');
    for (int i = 0; i < 500; ++i)
        EventLog::append(mine);
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    const auto entries = EventLog::read();
    ASSERT_EQ(entries.size(), 1000);
    for (const auto& e : entries)
        EXPECT_TRUE(e.text == QString(300, 'c') || e.text == QString(300, 'p')) << e.text.left(40).toStdString();
}

TEST(EventLog, UnwritableLogWarnsOnceAndNeverThrows) {
    QTemporaryDir dir;
    // A regular file where the folder should be: no user (root included) can create the log under it.
    QFile blocker(dir.path() + "/state");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_STATE_HOME", (dir.path() + "/state").toUtf8());
    QStringList warnings;
    EventLog::setWarningHandler([&](const QString& w) { warnings << w; });
    EXPECT_FALSE(EventLog::append("a"));
    EXPECT_FALSE(EventLog::append("b"));
    EXPECT_EQ(warnings.size(), 1);
    EXPECT_TRUE(EventLog::read().isEmpty());
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
