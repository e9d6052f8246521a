// What the package installs for the command-line tool: the program, its manual page (rendering without
// warnings) and its bash completion, whose option lists follow the program's own command table.
#include "cli/CommandLine.h"
#include "tests/support/Wait.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Ran {
    int status = -1;
    QByteArray out, err;
};

Ran run(const QString& program, const QStringList& args, const QByteArray& input = {}) {
    QProcess process;
    process.start(program, args);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

} // namespace

TEST(CliInstall, ProgramManualPageAndCompletion) {
    QTemporaryDir prefix;
    const Ran install =
        run(QStringLiteral(VANTREL_CMAKE_COMMAND), {"--install", VANTREL_BUILD_DIR, "--prefix", prefix.path()});
    ASSERT_EQ(install.status, 0) << install.err.toStdString();
    EXPECT_TRUE(QFileInfo(prefix.path() + "/bin/vantrel5-cli").isExecutable());

    const QString page = prefix.path() + "/share/man/man1/vantrel5-cli.1.gz";
    ASSERT_TRUE(QFile::exists(page));
    const Ran roff = run("gzip", {"-dc", page});
    EXPECT_FALSE(roff.out.contains('@')) << "unfilled placeholder";
    if (!QStandardPaths::findExecutable("groff").isEmpty()) {
        const Ran render = run("groff", {"-man", "-Tutf8", "-ww", "-z"}, roff.out);
        EXPECT_TRUE(render.err.isEmpty()) << render.err.toStdString();
    }

    QFile completion(prefix.path() + "/share/bash-completion/completions/vantrel5-cli");
    ASSERT_TRUE(completion.open(QIODevice::ReadOnly));
    const QString script = QString::fromUtf8(completion.readAll());
    EXPECT_TRUE(script.contains("--list-fields")) << "field names come from the program";
    for (const QString& command : vantrel::cli::commandNames()) {
        const QRegularExpression row("\\n\\s+" + command + "\\) options\\+=\" ([^\"]*)\" ;;");
        const QRegularExpressionMatch match = row.match(script);
        ASSERT_TRUE(match.hasMatch()) << command.toStdString();
        QStringList listed = match.captured(1).split(' ') + QStringList{"-q", "--quiet", "--progress", "-h", "--help"};
        QStringList expected = vantrel::cli::optionsOf(command);
        listed.removeAll("-h"); // not offered: --help is
        expected.removeAll("-h");
        listed.sort();
        expected.sort();
        EXPECT_EQ(listed, expected) << command.toStdString();
    }
    const Ran syntax = run("bash", {"-n", completion.fileName()});
    EXPECT_EQ(syntax.status, 0) << syntax.err.toStdString();
}
