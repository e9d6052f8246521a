// Backups before a write: where they go, their names, that none replaces another (also when several
// processes save at once), how many are kept, and what a failure says.
#include "transfer/Backups.h"
#include "common/Errors.h"
#include "transfer/ParameterFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vantrel;

namespace {

struct DataHome {
    QTemporaryDir dir;
    QByteArray previous = qgetenv("XDG_DATA_HOME");
    DataHome() { qputenv("XDG_DATA_HOME", dir.path().toLocal8Bit()); }
    ~DataHome() { qputenv("XDG_DATA_HOME", previous); }
};

} // namespace

TEST(Backups, NamedByTimePortAndContentNeverReplacedAndTheNewest500OfOursKept) {
    DataHome data;
    EXPECT_EQ(backups::folder(), data.dir.path() + QStringLiteral("/vantrel/backups"));

    const QDateTime start(QDate(2026, 12, 8), QTime(14, 3, 27));
    ImageBytes image = freshImage();
    image[0] = 1;
    const QString first = backups::save(image, "COM7", start);
    const QString again = backups::save(image, "COM7", start);
    image[0] = 2;
    const QString other = backups::save(image, "/dev/ttyUSB3", start);
    EXPECT_TRUE(
        QFileInfo(first).fileName().contains(QRegularExpression("^2026-12-08_14-03-27_COM7_[0-9a-f]{4}\\.VT3$")))
        << first.toStdString();
    EXPECT_EQ(QFileInfo(again).fileName(), QFileInfo(first).completeBaseName() + "_2.VT3");
    EXPECT_TRUE(QFileInfo(other).fileName().startsWith("2026-12-08_14-03-27_ttyUSB3_")) << other.toStdString();
    EXPECT_EQ(openParameterFile(first)[0], 1);
    EXPECT_EQ(openParameterFile(other)[0], 2);

    // The user's own files in the folder are neither listed nor pruned.
    QFile mine(backups::folder() + "/site-Budapest.VT3");
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.close();
    for (int i = 1; i <= backups::Kept; ++i)
        backups::save(image, "COM7", start.addSecs(i));
    const QStringList kept = backups::list();
    ASSERT_EQ(kept.size(), backups::Kept);
    EXPECT_TRUE(
        QFileInfo(kept.first()).fileName().startsWith(start.addSecs(backups::Kept).toString("yyyy-MM-dd_HH-mm-ss")));
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_TRUE(mine.exists());
    EXPECT_TRUE(backups::isBackupName("2026-12-08_14-03-27.VT3")) << "the names of earlier versions";
    EXPECT_FALSE(backups::isBackupName("site-Budapest.VT3"));
}

TEST(Backups, EightProcessesSavingAtOnceEachKeepTheirOwn) {
    DataHome data;
    const QDateTime when(QDate(2026, 12, 9), QTime(19, 35, 48));
    constexpr int kWriters = 8;
    for (int round = 0; round < 5; ++round) {
        QList<pid_t> children;
        for (int i = 0; i < kWriters; ++i) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                // Same second, same port, nearly the same content: only the exclusive create keeps them apart.
                ImageBytes image = freshImage();
                image[100] = static_cast<std::uint8_t>(round * kWriters + i);
                try {
                    const QString path = backups::save(image, "COM7", when);
                    ::_exit(openParameterFile(path)[100] == image[100] ? 0 : 1);
                } catch (...) {
                    ::_exit(2);
                }
            }
            children << child;
        }
        for (const pid_t child : children) {
            int status = 0;
            ::waitpid(child, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a backup holds another's data";
        }
    }
    const QStringList saved = backups::list();
    ASSERT_EQ(saved.size(), 5 * kWriters);
    QSet<int> contents;
    for (const QString& path : saved)
        contents.insert(openParameterFile(path)[100]);
    EXPECT_EQ(contents.size(), 5 * kWriters);
}

TEST(Backups, AFailureNamesThePathAndTheReason) {
    DataHome data;
    // A file where the folder should be.
    QFile blocker(data.dir.path() + "/vantrel");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        backups::save(freshImage(), "COM7");
        FAIL() << "saved under a file";
    } catch (const VantrelError& error) {
        EXPECT_TRUE(error.message().contains(data.dir.path() + "/vantrel")) << error.message().toStdString();
        EXPECT_TRUE(error.message().contains(systemErrorText(ENOTDIR, TextLanguage::English))) << error.message().toStdString();
    }
}
