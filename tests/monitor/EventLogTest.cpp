// The event log file: lines, order, rotation, two writers at once, a log that cannot be written, pipes and
// links in its place, a full disk, and the module's messages beside it.
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

TEST(EventLog, ModuleMessagesKeepToALogOfTheirOwn) {
    StateHome home;
    ASSERT_TRUE(EventLog::append("Kapcsolódás: COM7"));
    ::usleep(5000); // the stamps have milliseconds: the event is the oldest entry
    const QString chatter = QString(1000, QLatin1Char('m'));
    for (int i = 0; i < 1200; ++i)
        ASSERT_TRUE(EventLog::appendModuleMessage(chatter));
    ASSERT_TRUE(EventLog::appendModuleMessage("Riasztás őrző ű"));
    const auto entries = EventLog::read();
    ASSERT_FALSE(entries.isEmpty());
    EXPECT_EQ(entries.first().text, QString("Modul üzenete: Riasztás őrző ű"));
    EXPECT_EQ(entries.last().text, QString("Kapcsolódás: COM7")) << "pushed out by the module's chatter";
    EXPECT_TRUE(QFile::exists(EventLog::moduleMessagesPath() + ".1")) << "rotated on its own";
    EXPECT_LT(QFileInfo(EventLog::path()).size(), 100);
}
