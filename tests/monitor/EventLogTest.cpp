// The event log file on every platform: lines, order, rotation, two writers at once, a log that cannot be
// written, and the module's messages beside it.
#include "monitor/EventLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using vantrel::EventLog;

namespace {
// The tool's state folder in a temporary folder: XDG_STATE_HOME on Linux, LOCALAPPDATA on Windows.
struct StateHome {
    QTemporaryDir dir;
    StateHome() { point(dir.path()); }
    ~StateHome() { point({}); }
    static void point(const QString& path) {
        for (const char* variable : {"XDG_STATE_HOME", "LOCALAPPDATA"}) {
            if (path.isEmpty())
                qunsetenv(variable);
            else
                qputenv(variable, QDir::toNativeSeparators(path).toLocal8Bit());
        }
    }
};
} // namespace

TEST(EventLog, AppendsReadsNewestFirstAndRotates) {
    StateHome home;
    EXPECT_TRUE(EventLog::path().startsWith(home.dir.path() + "/")) << EventLog::path().toStdString();
    EXPECT_TRUE(EventLog::path().endsWith("/events.log")) << EventLog::path().toStdString();
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

// The other writer is a second run of this program, asked through the environment to write its lines.
TEST(EventLog, TwoProcessesAppendWholeLinesAndRotateOnce) {
    constexpr int kLines = 1800;
    const QString child = qEnvironmentVariable("VANTREL_EVENTLOG_WRITER");
    if (!child.isEmpty()) {
        StateHome::point(child);
        for (int i = 0; i < kLines; ++i)
            ASSERT_TRUE(EventLog::append(QString(600, 'c')));
        return;
    }
    StateHome home;
    QProcess writer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VANTREL_EVENTLOG_WRITER", home.dir.path());
    writer.setProcessEnvironment(environment);
    writer.setProcessChannelMode(QProcess::ForwardedChannels);
    writer.start(QCoreApplication::applicationFilePath(),
                 {"--gtest_filter=EventLog.TwoProcessesAppendWholeLinesAndRotateOnce"});
    ASSERT_TRUE(writer.waitForStarted());
    for (int i = 0; i < kLines; ++i)
        ASSERT_TRUE(EventLog::append(QString(600, 'p')));
    ASSERT_TRUE(writer.waitForFinished(120000));
    EXPECT_EQ(writer.exitCode(), 0);
    // About 2 MB: rotated twice, never twice at the same moment (which would lose a file of lines).
    const auto entries = EventLog::read();
    ASSERT_EQ(entries.size(), 2 * kLines);
    for (const auto& e : entries)
        EXPECT_TRUE(e.text == QString(600, 'c') || e.text == QString(600, 'p')) << e.text.left(40).toStdString();
    EXPECT_TRUE(QFile::exists(EventLog::path() + ".1"));
    EXPECT_LE(QFileInfo(EventLog::path() + ".1").size(), EventLog::kRotateSize + 1024);
}

TEST(EventLog, UnwritableLogWarnsOnceAndNeverThrows) {
    QTemporaryDir dir;
    // A regular file where the folder should be: no user (root included) can create the log under it.
    QFile blocker(dir.path() + "/state");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    StateHome::point(dir.path() + "/state");
    QStringList warnings;
    EventLog::setWarningHandler([&](const QString& w) { warnings << w; });
    EXPECT_FALSE(EventLog::append("a"));
    EXPECT_FALSE(EventLog::append("b"));
    EXPECT_EQ(warnings.size(), 1);
    EXPECT_TRUE(EventLog::read().isEmpty());
    // A folder in the log's place: neither written nor taken for the log.
    StateHome::point(dir.path());
    ASSERT_TRUE(QDir().mkpath(EventLog::path()));
    EXPECT_FALSE(EventLog::append("c"));
    EXPECT_EQ(warnings.size(), 1);
    EXPECT_TRUE(EventLog::read().isEmpty());
    EventLog::setWarningHandler({});
}

TEST(EventLog, ModuleMessagesKeepToALogOfTheirOwn) {
    StateHome home;
    ASSERT_TRUE(EventLog::append("Kapcsolódás: COM7"));
    QThread::msleep(5); // the stamps have milliseconds: the event is the oldest entry
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
