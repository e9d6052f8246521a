// Backups before a write: where they go, their names, that none replaces another, and how many are kept.
#include "transfer/Backups.h"
#include "transfer/ParameterFile.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;

TEST(Backups, NamedByTimeNeverReplacedAndTheNewest500Kept) {
    QTemporaryDir data;
    const QByteArray previous = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    EXPECT_EQ(backups::folder(), data.path() + QStringLiteral("/vantrel/backups"));

    const QDateTime start(QDate(2026, 12, 8), QTime(14, 3, 27));
    ImageBytes image = freshImage();
    image[0] = 1;
    const QString first = backups::save(image, start);
    image[0] = 2;
    const QString sameSecond = backups::save(image, start);
    EXPECT_EQ(QFileInfo(first).fileName(), QStringLiteral("2026-12-08_14-03-27.VT3"));
    EXPECT_EQ(QFileInfo(sameSecond).fileName(), QStringLiteral("2026-12-08_14-03-27_2.VT3"));
    EXPECT_EQ(openParameterFile(first)[0], 1);
    EXPECT_EQ(openParameterFile(sameSecond)[0], 2);

    for (int i = 1; i <= backups::Kept; ++i)
        backups::save(image, start.addSecs(i));
    const QStringList kept = backups::list();
    ASSERT_EQ(kept.size(), backups::Kept);
    EXPECT_EQ(QFileInfo(kept.first()).fileName(), start.addSecs(backups::Kept).toString("yyyy-MM-dd_HH-mm-ss") + ".VT3");
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_FALSE(QFileInfo::exists(sameSecond));
    qputenv("XDG_DATA_HOME", previous);
}
