// The desktop-entry reader the install tests rely on: if it split an Exec line differently from a menu,
// those tests would start another command than the menu does.
#include "tests/install/DesktopEntry.h"
#include "tests/install/QtPrinters.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace vantrel::test;

TEST(DesktopEntry, SplitsExecLinesAsMenusDo) {
    struct Row {
        const char* exec;
        QStringList argv;
    };
    const Row rows[] = {
        {"vantrel5", {"vantrel5"}},
        {"  vantrel5   -platform  xcb ", {"vantrel5", "-platform", "xcb"}},
        {R"(sh -c "cd; exec vantrel5")", {"sh", "-c", "cd; exec vantrel5"}},
        {R"(sh -c "cd \"\$HOME\" && exec vantrel5")", {"sh", "-c", R"(cd "$HOME" && exec vantrel5)"}},
        {R"(a "x\\y\`z")", {"a", "x\\y`z"}},
        {R"(a "" b)", {"a", "", "b"}},
        {R"(a pre"quoted part"post)", {"a", "prequoted partpost"}},
        {"a 100%%", {"a", "100%"}},
        {"vantrel5 %f", {"vantrel5"}},
        {R"(sh -c "exec vantrel5 \"\$@\"" sh %f)", {"sh", "-c", R"(exec vantrel5 "$@")", "sh"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(splitExecLine(QString::fromUtf8(row.exec)), row.argv) << row.exec;
    // A file opened from the file manager takes the code's place.
    EXPECT_EQ(splitExecLine(QStringLiteral("v %f"), {"/a b.VT3", "/c.VT3"}), QStringList({"v", "/a b.VT3"}));
    EXPECT_EQ(splitExecLine(QStringLiteral("v %F"), {"/a.VT3", "/c.VT3"}), QStringList({"v", "/a.VT3", "/c.VT3"}));
}

TEST(DesktopEntry, RefusesExecLinesAMenuWouldNotRunAsWritten) {
    for (const char* exec : {
             "sh -c 'cd; exec vantrel5'", // single quotes are no quoting here
             "sh -c \"cd; exec vantrel5", // unclosed
             "cd; vantrel5",              // reserved character outside quotes
             "vantrel5 $HOME",
             "a \"\\n\"", // only " ` $ and \ may be escaped inside quotes
             "vantrel5 %i",
             "vantrel5 x%f",
             "sh -c \"vantrel5 %f\"", // no field codes inside quotes
             "vantrel5 %",
         })
        EXPECT_THROW(splitExecLine(QString::fromUtf8(exec)), std::invalid_argument) << exec;
}

TEST(DesktopEntry, ResolvesStringEscapesAndReadsGroups) {
    const DesktopEntry entry = DesktopEntry::parse("# comment\n"
                                                   "[Desktop Entry]\n"
                                                   "Name=Vantrel 5\n"
                                                   "Name[hu] = Vantrel 5 beállító\n"
                                                   "Exec=sh -c \"cd \\\\\"\\\\$HOME\\\\\" && exec x\"\n"
                                                   "Comment=a\\sb\\tc\\\\d\n"
                                                   "Categories=Utility;Electronics;\n"
                                                   "\n"
                                                   "[Desktop Action other]\n"
                                                   "Name=Other\n");
    EXPECT_EQ(entry.value("Name"), QStringLiteral("Vantrel 5"));
    EXPECT_EQ(entry.value("Name[hu]"), QStringLiteral("Vantrel 5 beállító"));
    EXPECT_EQ(entry.value("Comment"), QStringLiteral("a b\tc\\d"));
    EXPECT_EQ(splitExecLine(entry.value("Exec")), QStringList({"sh", "-c", R"(cd "$HOME" && exec x)"}));
    EXPECT_EQ(entry.list("Categories"), QStringList({"Utility", "Electronics"}));
    EXPECT_EQ(entry.value("Name", "Desktop Action other"), QStringLiteral("Other"));
    EXPECT_FALSE(entry.has("Icon"));

    EXPECT_THROW(DesktopEntry::parse("[Desktop Entry]\nName=a\nName=b\n"), std::invalid_argument);
    EXPECT_THROW(DesktopEntry::parse("Name=before any group\n"), std::invalid_argument);
    EXPECT_THROW(DesktopEntry::parse("[Desktop Entry]\nno key here\n"), std::invalid_argument);
    EXPECT_THROW(unescapeDesktopString("a\\q"), std::invalid_argument);
}
