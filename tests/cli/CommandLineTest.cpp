// The command line itself: usage errors, help, the hidden field list, the language, and what the program
// links.
#include "params/ImageLayout.h"
#include "tests/cli/CliHarness.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace vantrel::test;

TEST(CliCommandLine, UsageErrorsEndWithStatusTwoAndOneLine) {
    const struct {
        QStringList args;
        const char* says;
    } rows[] = {
        {{}, "no command"},
        {{"frobnicate"}, "unknown command: frobnicate"},
        {{"ports", "--bogus"}, "has no option --bogus"},
        {{"read", "x.VT3"}, "needs --port"},
        {{"read", "--port"}, "needs a value"},
        {{"read", "--port", "COM7"}, "missing argument"},
        {{"diff", "a.VT3"}, "missing argument"},
        {{"diff", "a", "b", "c"}, "unexpected argument: c"},
        {{"export", "a.VT3", "--format", "xml"}, "json or csv"},
        {{"import", "a.json"}, "needs -o"},
        {{"status", "--port", "COM7", "--port", "COM8"}, "given twice"},
        {{"status", "--port", "LPT1"}, "bad port name: LPT1"},
        {{"--json"}, "unknown option: --json"},
    };
    for (const auto& row : rows) {
        const CliRun run = runCli(row.args);
        EXPECT_EQ(run.status, 2) << row.args.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(row.says)) << run.err.toStdString();
    }
}

TEST(CliCommandLine, HelpListFieldsAndLanguage) {
    const CliRun help = runCli({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* command : {"ports", "status", "read", "write", "compare", "diff", "export", "import", "set"})
        EXPECT_TRUE(help.out.contains(QByteArray("vantrel5-cli ") + command)) << command;

    const CliRun fields = runCli({"--list-fields"});
    EXPECT_EQ(fields.status, 0);
    const QList<QByteArray> names = fields.out.trimmed().split('\n');
    ASSERT_EQ(names.size(), qsizetype(vantrel::ImageLayout.size()));
    EXPECT_EQ(names.front().toStdString(), std::string(vantrel::ImageLayout.front().name));

    const CliRun hungarian = runCli({"frobnicate"}, QStringLiteral("hu_HU.UTF-8"));
    EXPECT_EQ(hungarian.status, 2);
    EXPECT_TRUE(hungarian.err.contains("ismeretlen parancs: frobnicate")) << hungarian.err.toStdString();
    const CliRun english = runCli({"frobnicate"}, QStringLiteral("en_GB.UTF-8"));
    EXPECT_TRUE(english.err.contains("unknown command")) << english.err.toStdString();
}

// A bench computer may have no display libraries at all: the program must not need Qt Gui or Widgets.
TEST(CliCommandLine, LinksQtCoreOnly) {
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {QStringLiteral(VANTREL_CLI)});
    ASSERT_TRUE(ldd.waitForFinished(10000));
    const QByteArray libraries = ldd.readAllStandardOutput();
    EXPECT_TRUE(libraries.contains("libQt6Core")) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains("libQt6Gui")) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains("libQt6Widgets")) << libraries.toStdString();
}

// --list-fields is named in the help and the manual page; -q keeps the differences and their count.
TEST(CliCommandLine, ListFieldsIsDocumentedAndQuietKeepsTheResult) {
    EXPECT_TRUE(runCli({"--help"}).out.contains("--list-fields"));
    QFile page(QStringLiteral(VANTREL_SOURCE_DIR "/dist/man/vantrel5-cli.1"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_TRUE(page.readAll().contains("\\-\\-list\\-fields"));

    Scratch files;
    QByteArray b = patternImage(3);
    b[282] = char(9);
    const CliRun diff = runCli({"diff", "-q", files.write("a.VT3", patternImage(3)), files.write("b.VT3", b)});
    EXPECT_EQ(diff.status, 1);
    EXPECT_TRUE(diff.out.contains("CallMax")) << diff.out.toStdString();
    EXPECT_TRUE(diff.out.contains("1 differing fields.")) << diff.out.toStdString();
}
