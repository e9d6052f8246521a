// Backups before a write: where they go, their names, that none replaces another (also when several
// processes save at once), how many are kept, and what a failure says.
#include "transfer/Backups.h"
#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/UserFolders.h"
#include "transfer/ParameterFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace vantrel;

namespace {

// The tool's data folder in a temporary folder: XDG_DATA_HOME on Linux, LOCALAPPDATA on Windows.
struct DataHome {
    QTemporaryDir dir;
    QByteArray previous[2] = {qgetenv("XDG_DATA_HOME"), qgetenv("LOCALAPPDATA")};
    DataHome() { point(dir.path()); }
    ~DataHome() {
        qputenv("XDG_DATA_HOME", previous[0]);
        qputenv("LOCALAPPDATA", previous[1]);
    }
    static void point(const QString& path) {
        qputenv("XDG_DATA_HOME", QDir::toNativeSeparators(path).toLocal8Bit());
        qputenv("LOCALAPPDATA", QDir::toNativeSeparators(path).toLocal8Bit());
    }
};

} // namespace

TEST(Backups, NamedByTimePortAndContentNeverReplacedAndTheNewest500OfOursKept) {
    DataHome data;
    EXPECT_EQ(backups::folder(), dataFolder() + QStringLiteral("/backups"));
    EXPECT_TRUE(backups::folder().startsWith(data.dir.path() + "/")) << backups::folder().toStdString();

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

// The other writers are further runs of this program, told through the environment what to save.
TEST(Backups, EightProcessesSavingAtOnceEachKeepTheirOwn) {
    const QDateTime when(QDate(2026, 12, 9), QTime(19, 35, 48));
    if (qEnvironmentVariableIsSet("VANTREL_BACKUP_WRITER")) {
        DataHome::point(qEnvironmentVariable("VANTREL_BACKUP_HOME"));
        // Same second, same port, nearly the same content: only the exclusive create keeps them apart.
        ImageBytes image = freshImage();
        image[100] = static_cast<std::uint8_t>(qEnvironmentVariableIntValue("VANTREL_BACKUP_WRITER"));
        const QString path = backups::save(image, "COM7", when);
        EXPECT_EQ(openParameterFile(path)[100], image[100]) << "a backup holds another's data";
        return;
    }
    DataHome data;
    constexpr int kWriters = 8;
    for (int round = 0; round < 5; ++round) {
        std::vector<std::unique_ptr<QProcess>> writers;
        for (int i = 0; i < kWriters; ++i) {
            auto writer = std::make_unique<QProcess>();
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("VANTREL_BACKUP_WRITER", QString::number(round * kWriters + i));
            environment.insert("VANTREL_BACKUP_HOME", data.dir.path());
            writer->setProcessEnvironment(environment);
            writer->setProcessChannelMode(QProcess::ForwardedChannels);
            writer->start(QCoreApplication::applicationFilePath(),
                          {"--gtest_filter=Backups.EightProcessesSavingAtOnceEachKeepTheirOwn"});
            writers.push_back(std::move(writer));
        }
        for (const auto& writer : writers) {
            ASSERT_TRUE(writer->waitForFinished(60000));
            EXPECT_EQ(writer->exitCode(), 0);
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
    QFile blocker(dataFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        backups::save(freshImage(), "COM7");
        FAIL() << "saved under a file";
    } catch (const VantrelError& error) {
        EXPECT_TRUE(error.message().contains(dataFolder())) << error.message().toStdString();
        const QString reason = systemErrorText(makeFolders(backups::folder()), TextLanguage::English);
        EXPECT_FALSE(reason.isEmpty());
        EXPECT_TRUE(error.message().contains(reason)) << error.message().toStdString();
    }
}
