#include "common/FileNames.h"
#include "common/UserFolders.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace vantrel;

TEST(DeviceNames, TheNameBeforeTheFirstDotDecidesInAnyCase) {
    const struct {
        const char* name;
        bool device;
    } rows[] = {
        {"NUL", true},
        {"nul.txt", true},
        {"Con.VT3", true},
        {"aux.tar.gz", true},
        {"PRN", true},
        {"COM1", true},
        {"com9.VT3", true},
        {"LPT1.bak", true},
        {"COM0", true},
        {"NUL .VT3", true},
        {"con.", true},
        {"CONIN$", true},
        {"conout$.log", true},
        {"COM10", false},
        {"COM", false},
        {"LPT", false},
        {"nul1.VT3", false},
        {"console.VT3", false},
        {"AUXILIARY", false},
        {"my.nul", false},
        {"COMA.VT3", false},
        {"", false},
        {".con", false},
        {"xNUL", false},
        {"site COM1.VT3", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(isDeviceName(QString::fromLatin1(row.name)), row.device) << row.name;
    // The superscript digits count as digits for the serial and printer ports.
    EXPECT_TRUE(isDeviceName(QStringLiteral("COM\u00B9.VT3")));
    EXPECT_TRUE(isDeviceName(QStringLiteral("lpt\u00B3")));
    EXPECT_FALSE(isDeviceName(QStringLiteral("COM\u2074")));
}

TEST(UserFolders, AnAbsoluteVariableWinsARelativeOneIsIgnored) {
    const QByteArray saved = qgetenv("VANTREL_TEST_FOLDER");
    qputenv("VANTREL_TEST_FOLDER", QDir::rootPath().toUtf8() + "data/");
    EXPECT_EQ(folderFromEnvironment("VANTREL_TEST_FOLDER", "/fallback", "Vantrel"), QDir::rootPath() + "data/Vantrel");
    qputenv("VANTREL_TEST_FOLDER", "relative/data");
    EXPECT_EQ(folderFromEnvironment("VANTREL_TEST_FOLDER", QDir::rootPath() + "fallback", "vantrel"),
              QDir::rootPath() + "fallback/vantrel");
    qunsetenv("VANTREL_TEST_FOLDER");
    EXPECT_EQ(folderFromEnvironment("VANTREL_TEST_FOLDER", QDir::rootPath() + "fallback", "vantrel"),
              QDir::rootPath() + "fallback/vantrel");
    if (!saved.isEmpty())
        qputenv("VANTREL_TEST_FOLDER", saved);
    // The test program points the tool's folders into its own temporary home: none of them is the real one.
    const QString temporary = QDir::cleanPath(QDir::tempPath()) + "/";
    for (const QString& folder : {settingsFolder(), dataFolder(), stateFolder()})
        EXPECT_TRUE(folder.startsWith(temporary, Qt::CaseInsensitive)) << folder.toStdString();
}
