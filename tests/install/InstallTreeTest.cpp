// The installed tree, as a desktop finds it: `cmake --install` into a temporary prefix, then the desktop
// entry, the icon, the metainfo and the manual pages checked against each other and against the
// validators, and the desktop entry's command started for real.
#include "serial/PortNames.h"
#include "tests/install/DesktopEntry.h"
#include "tests/install/QtPrinters.h"
#include "tests/support/PortLinks.h"
#include "tests/support/Wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

using namespace vantrel::test;

namespace {

constexpr int ProcessTimeoutMs = 120'000;

struct Finished {
    bool ran = false; // started and ended within the time-out
    int exitCode = -1;
    QString out;
    QString err;
};

Finished runProgram(const QString& program, const QStringList& args, const QByteArray& input = {}) {
    QProcess process;
    process.start(program, args);
    Finished result;
    if (!process.waitForStarted(ProcessTimeoutMs))
        return result;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(ProcessTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.ran = process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// A tool the checks need; the bootstrap script installs it with `make test`.
QString requiredTool(const char* name, const char* package) {
    const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (path.isEmpty())
        ADD_FAILURE() << name << " is missing: install " << package << " (scripts/bootstrap.sh does)";
    return path;
}

std::string text(const Finished& run) {
    return ("exit " + QString::number(run.exitCode) + "\n" + run.out + run.err).toStdString();
}

// The build's install rules, carried out once for all tests of this program.
class Installation {
public:
    static const Installation& get() {
        static const Installation tree;
        return tree;
    }

    bool ok() const { return installed_; }
    const std::string& log() const { return log_; }
    QString path(const QString& relative) const { return prefix_.path() + QLatin1Char('/') + relative; }
    QString prefix() const { return prefix_.path(); }

    QString desktopFile() const { return path(QStringLiteral("share/applications/vantrel5.desktop")); }
    DesktopEntry desktopEntry() const {
        QFile file(desktopFile());
        return DesktopEntry::parse(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    // The one metainfo file the tree holds; empty when there is not exactly one.
    QString metainfoFile() const {
        const QStringList files =
            QDir(path(QStringLiteral("share/metainfo"))).entryList({QStringLiteral("*.metainfo.xml")}, QDir::Files);
        return files.size() == 1 ? path(QStringLiteral("share/metainfo/") + files.first()) : QString();
    }
    // A manual page, uncompressed; empty when it is missing.
    QString manualPage(const QString& name) const {
        const QString file = path(QStringLiteral("share/man/man1/%1.1.gz").arg(name));
        if (!QFileInfo::exists(file))
            return {};
        return runProgram(QStringLiteral("gzip"), {QStringLiteral("-dc"), file}).out;
    }

private:
    Installation() {
        const Finished run = runProgram(QStringLiteral(VANTREL_CMAKE_COMMAND),
                                        {QStringLiteral("--install"), QStringLiteral(VANTREL_BUILD_DIR),
                                         QStringLiteral("--prefix"), prefix_.path()});
        installed_ = prefix_.isValid() && run.ran && run.exitCode == 0;
        log_ = text(run);
    }

    QTemporaryDir prefix_;
    bool installed_ = false;
    std::string log_;
};

// Every test looks at the one installed tree, and none runs without it.
class InstalledTree : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tree.ok()) << tree.log(); }

    const Installation& tree = Installation::get();
};

struct Metainfo {
    QString id;
    QStringList desktopLaunchables;
    QStringList stockIcons;
    QStringList binaries;
    QStringList releases;
    QString error;
};

Metainfo readMetainfo(const QString& file) {
    Metainfo info;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        info.error = QStringLiteral("cannot read ") + file;
        return info;
    }
    QXmlStreamReader xml(&in);
    QStringList path;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement())
            path.removeLast();
        if (!xml.isStartElement())
            continue;
        path << xml.name().toString();
        const QString where = path.join(QLatin1Char('/'));
        if (where == QLatin1String("component/id"))
            info.id = xml.readElementText();
        else if (where == QLatin1String("component/launchable") &&
                 xml.attributes().value(QLatin1String("type")) == QLatin1String("desktop-id"))
            info.desktopLaunchables << xml.readElementText();
        else if (where == QLatin1String("component/icon") &&
                 xml.attributes().value(QLatin1String("type")) == QLatin1String("stock"))
            info.stockIcons << xml.readElementText();
        else if (where == QLatin1String("component/provides/binary"))
            info.binaries << xml.readElementText();
        else if (where == QLatin1String("component/releases/release"))
            info.releases << xml.attributes().value(QLatin1String("version")).toString(); // kept open
        else
            continue;
        if (!xml.isEndElement())
            continue;
        path.removeLast(); // readElementText() stopped on the end element
    }
    if (xml.hasError())
        info.error = xml.errorString();
    return info;
}

bool isExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// The roff source with its escaped hyphens made plain, as the reader sees them.
QString plainRoff(const QString& source) {
    return QString(source).replace(QLatin1String("\\-"), QLatin1String("-"));
}

// The lines of a section (.SH NAME up to the next .SH).
QStringList sectionLines(const QString& source, const QString& name) {
    const QStringList lines = source.split(QLatin1Char('\n'));
    QStringList out;
    bool inside = false;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String(".SH "))) {
            inside = line.mid(4).remove(QLatin1Char('"')) == name;
            continue;
        }
        if (inside)
            out << line;
    }
    return out;
}

// The tags of a section's .TP paragraphs, without their font macro and quotes.
QStringList tags(const QString& source, const QString& section) {
    const QStringList lines = sectionLines(source, section);
    QStringList out;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] != QLatin1String(".TP"))
            continue;
        QString tag = lines[i + 1];
        tag.remove(QRegularExpression(QStringLiteral("^\\.[BIR]{1,2} ")));
        tag.remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")));
        out << tag.remove(QLatin1Char('"')).trimmed();
    }
    return out;
}

QSet<QString> optionNames(const QString& text) {
    QSet<QString> names;
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--[a-z][a-z-]*"));
    for (const QRegularExpressionMatch& m : option.globalMatch(text))
        names << m.captured();
    return names;
}

} // namespace

TEST_F(InstalledTree, PutsBothProgramsInBin) {
    EXPECT_TRUE(isExecutableFile(tree.path(QStringLiteral("bin/vantrel5"))));
    EXPECT_TRUE(isExecutableFile(tree.path(QStringLiteral("bin/vantrel-sim"))));
}

TEST_F(InstalledTree, DesktopEntryPassesTheValidatorAndSpeaksBothLanguages) {
    ASSERT_TRUE(QFileInfo::exists(tree.desktopFile()));
    const QString validator = requiredTool("desktop-file-validate", "desktop-file-utils");
    if (!validator.isEmpty()) {
        const Finished run = runProgram(validator, {tree.desktopFile()});
        EXPECT_TRUE(run.ran && run.exitCode == 0 && run.out.isEmpty() && run.err.isEmpty()) << text(run);
    }

    const DesktopEntry entry = tree.desktopEntry();
    EXPECT_EQ(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
    for (const char* key : {"Name", "Comment"}) {
        const QString english = entry.value(QString::fromLatin1(key));
        const QString hungarian = entry.value(QString::fromLatin1(key) + QStringLiteral("[hu]"));
        EXPECT_FALSE(english.isEmpty()) << key;
        EXPECT_FALSE(hungarian.isEmpty()) << key;
        EXPECT_NE(english, hungarian) << key << " is not translated";
    }
    const QStringList categories = entry.list(QStringLiteral("Categories"));
    EXPECT_TRUE(categories.contains(QStringLiteral("Utility"))) << categories.join(';').toStdString();
    EXPECT_TRUE(categories.contains(QStringLiteral("Electronics"))) << categories.join(';').toStdString();
    EXPECT_EQ(entry.value(QStringLiteral("Terminal")), QStringLiteral("false"));
}

TEST_F(InstalledTree, DesktopEntryIconIsInstalledAsSvgAndAtEveryPngSize) {
    const QString icon = tree.desktopEntry().value(QStringLiteral("Icon"));
    ASSERT_FALSE(icon.isEmpty());
    ASSERT_FALSE(icon.contains(QLatin1Char('/'))) << "a themed icon is named, not given by path";

    const QString themeDir = tree.path(QStringLiteral("share/icons/hicolor"));
    QFile svg(themeDir + QStringLiteral("/scalable/apps/") + icon + QStringLiteral(".svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly)) << svg.fileName().toStdString();
    QXmlStreamReader xml(&svg);
    ASSERT_TRUE(xml.readNextStartElement()) << xml.errorString().toStdString();
    EXPECT_EQ(xml.name().toString(), QStringLiteral("svg"));
    EXPECT_EQ(xml.namespaceUri().toString(), QStringLiteral("http://www.w3.org/2000/svg"));
    const QStringList viewBox = xml.attributes().value(QLatin1String("viewBox")).toString().split(QLatin1Char(' '));
    ASSERT_EQ(viewBox.size(), 4);
    EXPECT_EQ(viewBox[2], viewBox[3]) << "the icon is square";
    while (!xml.atEnd())
        xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();

    // The sizes menus, docks and software centres ask for most.
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString png = themeDir + QStringLiteral("/%1x%1/apps/").arg(size) + icon + QStringLiteral(".png");
        QImageReader reader(png);
        EXPECT_EQ(reader.format(), QByteArray("png")) << png.toStdString();
        EXPECT_EQ(reader.size(), QSize(size, size)) << png.toStdString();
    }
    // No PNG under a size folder has another size than its folder says.
    const QStringList sizeDirs = QDir(themeDir).entryList({QStringLiteral("*x*")}, QDir::Dirs);
    for (const QString& dir : sizeDirs) {
        const int size = dir.section(QLatin1Char('x'), 0, 0).toInt();
        const QString png =
            themeDir + QLatin1Char('/') + dir + QStringLiteral("/apps/") + icon + QStringLiteral(".png");
        if (QFileInfo::exists(png)) {
            EXPECT_EQ(QImageReader(png).size(), QSize(size, size)) << png.toStdString();
        }
    }
}

TEST_F(InstalledTree, DesktopEntryProgramsAreTheInstalledOnes) {
    const DesktopEntry entry = tree.desktopEntry();
    const QString tryExec = entry.value(QStringLiteral("TryExec"));
    ASSERT_FALSE(tryExec.isEmpty()) << "a menu hides the entry when the program is gone only with TryExec";
    EXPECT_TRUE(isExecutableFile(tree.path(QStringLiteral("bin/") + tryExec))) << tryExec.toStdString();

    const QStringList argv = splitExecLine(entry.value(QStringLiteral("Exec")));
    ASSERT_FALSE(argv.isEmpty());
    const bool found = !QStandardPaths::findExecutable(argv.first(), {tree.path(QStringLiteral("bin"))}).isEmpty() ||
                       !QStandardPaths::findExecutable(argv.first()).isEmpty();
    EXPECT_TRUE(found) << argv.first().toStdString();
    // Either the program itself, or a shell whose command ends in it (with the file it was given).
    EXPECT_TRUE(argv.first() == tryExec ||
                (argv.size() >= 3 && argv[1] == QStringLiteral("-c") &&
                 argv[2].contains(QRegularExpression(QStringLiteral("exec %1( \\\"\\$@\\\")?$").arg(tryExec)))))
        << argv.join(' ').toStdString();
}

// The tool keeps its files in its working directory; started from a menu, that is the home directory.
// A parameter file opened from the file manager reaches the tool as its argument.
TEST_F(InstalledTree, DesktopEntryStartsTheInstalledToolInTheHomeDirectory) {
    for (const QStringList& files : {QStringList{}, QStringList{QStringLiteral("/tmp/site 12.VT3")}}) {
        SCOPED_TRACE(files.join(' ').toStdString());
        QStringList argv = splitExecLine(tree.desktopEntry().value(QStringLiteral("Exec")), files);
        ASSERT_FALSE(argv.isEmpty());

        QTemporaryDir home;
        QTemporaryDir elsewhere;
        QTemporaryDir config;
        ASSERT_TRUE(home.isValid() && elsewhere.isValid() && config.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("PATH"), tree.path(QStringLiteral("bin")) + QStringLiteral(":/usr/bin:/bin"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

        QProcess tool;
        tool.setProcessEnvironment(environment);
        tool.setWorkingDirectory(elsewhere.path());
        const QString program = argv.takeFirst();
        tool.start(program, argv);
        ASSERT_TRUE(tool.waitForStarted(5000)) << tool.errorString().toStdString();

        const QString proc = QStringLiteral("/proc/%1/").arg(tool.processId());
        const QString binary = QFileInfo(tree.path(QStringLiteral("bin/vantrel5"))).canonicalFilePath();
        // The kernel points "exe" at the new program a moment before it sets up the new arguments, so
        // the arguments are read once they name the tool.
        QList<QByteArray> toolArgs;
        const bool replaced = waitUntil(
            [&] {
                if (QFile::symLinkTarget(proc + QStringLiteral("exe")) != binary)
                    return false;
                QFile cmdline(proc + QStringLiteral("cmdline"));
                toolArgs = cmdline.open(QIODevice::ReadOnly) ? cmdline.readAll().split('\0') : QList<QByteArray>{};
                return toolArgs.value(0).endsWith("vantrel5");
            },
            10000);
        const QString workingDirectory = QFile::symLinkTarget(proc + QStringLiteral("cwd"));
        // Still there a moment later: the tool came up rather than failing at start.
        pumpEvents(1000);
        const bool running = tool.state() == QProcess::Running;
        tool.kill();
        tool.waitForFinished(5000);
        const std::string output = QString::fromLocal8Bit(tool.readAll()).toStdString();

        ASSERT_TRUE(replaced) << "the entry's command did not become " << binary.toStdString() << "\n" << output;
        EXPECT_EQ(workingDirectory, QFileInfo(home.path()).canonicalFilePath());
        EXPECT_TRUE(running) << output;
        EXPECT_TRUE(QDir(elsewhere.path()).isEmpty()) << "the tool wrote into the directory it was started from";
        // argv[0], then the file when there is one (the list ends in an empty item after the last NUL).
        EXPECT_EQ(toolArgs.value(1), files.isEmpty() ? QByteArray() : files.first().toUtf8());
    }
}

TEST_F(InstalledTree, ParameterFilesHaveTheirTypeAndThePackageItsDocuments) {
    QFile mime(tree.path(QStringLiteral("share/mime/packages/vantrel5.xml")));
    ASSERT_TRUE(mime.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&mime);
    QString type;
    QStringList globs;
    QString hungarian;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("mime-type"))
            type = xml.attributes().value(QLatin1String("type")).toString();
        else if (xml.name() == QLatin1String("glob"))
            globs << xml.attributes().value(QLatin1String("pattern")).toString();
        else if (xml.name() == QLatin1String("comment") &&
                 xml.attributes().value(QLatin1String("xml:lang")) == QLatin1String("hu"))
            hungarian = xml.readElementText();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(type, QStringLiteral("application/x-vantrel-parameters"));
    EXPECT_EQ(globs, QStringList({QStringLiteral("*.VT3"), QStringLiteral("*.vt3")}));
    EXPECT_EQ(hungarian, QStringLiteral("Vantrel paraméterfájl"));
    EXPECT_TRUE(tree.desktopEntry().list(QStringLiteral("MimeType")).contains(type));

    QFile copyright(tree.path(QStringLiteral("share/doc/vantrel5/copyright")));
    ASSERT_TRUE(copyright.open(QIODevice::ReadOnly));
    const QByteArray licence = copyright.readAll();
    EXPECT_TRUE(licence.startsWith("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"));
    EXPECT_TRUE(licence.contains("\nLicense: MIT\n"));
    const Finished changelog =
        runProgram(QStringLiteral("gzip"),
                   {QStringLiteral("-dc"), tree.path(QStringLiteral("share/doc/vantrel5/changelog.Debian.gz"))});
    ASSERT_TRUE(changelog.ran && changelog.exitCode == 0) << text(changelog);
    EXPECT_TRUE(changelog.out.startsWith(QStringLiteral("vantrel5 (" VANTREL_PROJECT_VERSION "-1) ")))
        << text(changelog);
    EXPECT_FALSE(licence.contains("example.") || changelog.out.contains(QStringLiteral("example.")))
        << "a placeholder address";
}

TEST_F(InstalledTree, MetainfoPassesTheValidatorsAndNamesInstalledFiles) {
    const QString file = tree.metainfoFile();
    ASSERT_FALSE(file.isEmpty()) << "expected one metainfo file in share/metainfo";
    const QString appstream = requiredTool("appstreamcli", "appstream");
    if (!appstream.isEmpty()) {
        const QStringList strict{QStringLiteral("--no-net"), QStringLiteral("--strict"), QStringLiteral("--pedantic")};
        const Finished alone =
            runProgram(appstream, QStringList{QStringLiteral("validate")} + strict + QStringList{file});
        EXPECT_TRUE(alone.ran && alone.exitCode == 0) << text(alone);
        // The whole tree: this also finds the launchable's desktop file where a desktop looks for it.
        const Finished whole =
            runProgram(appstream, QStringList{QStringLiteral("validate-tree")} + strict + QStringList{tree.prefix()});
        EXPECT_TRUE(whole.ran && whole.exitCode == 0) << text(whole);
    }

    const Metainfo info = readMetainfo(file);
    ASSERT_TRUE(info.error.isEmpty()) << info.error.toStdString();
    EXPECT_EQ(QFileInfo(file).fileName(), info.id + QStringLiteral(".metainfo.xml"));
    ASSERT_EQ(info.desktopLaunchables.size(), 1);
    EXPECT_EQ(tree.path(QStringLiteral("share/applications/") + info.desktopLaunchables.first()), tree.desktopFile());
    ASSERT_EQ(info.stockIcons.size(), 1);
    EXPECT_EQ(info.stockIcons.first(), tree.desktopEntry().value(QStringLiteral("Icon")));
    EXPECT_EQ(info.binaries, QStringList({QStringLiteral("vantrel5"), QStringLiteral("vantrel-sim")}));
    for (const QString& binary : info.binaries)
        EXPECT_TRUE(isExecutableFile(tree.path(QStringLiteral("bin/") + binary))) << binary.toStdString();
    ASSERT_FALSE(info.releases.isEmpty());
    EXPECT_EQ(info.releases.first(), QStringLiteral(VANTREL_PROJECT_VERSION)) << "the newest release comes first";
}

TEST_F(InstalledTree, ManualPagesRenderWithoutWarnings) {
    const QString groff = requiredTool("groff", "groff-base");
    for (const QString& name : {QStringLiteral("vantrel5"), QStringLiteral("vantrel-sim")}) {
        const QString page = tree.manualPage(name);
        ASSERT_FALSE(page.isEmpty()) << name.toStdString();
        EXPECT_FALSE(page.contains(QRegularExpression(QStringLiteral("@[A-Z_]+@")))) << "unfilled placeholder";
        const QString title = page.section(QLatin1Char('\n'), 1, 1);
        EXPECT_TRUE(title.startsWith(QStringLiteral(".TH ") + name.toUpper().replace('-', QStringLiteral("\\-")) +
                                     QStringLiteral(" 1 ")))
            << title.toStdString();
        EXPECT_TRUE(title.contains(QStringLiteral(VANTREL_PROJECT_VERSION))) << title.toStdString();
        if (groff.isEmpty())
            continue;
        const Finished run = runProgram(groff,
                                        {QStringLiteral("-man"), QStringLiteral("-Tutf8"), QStringLiteral("-Kutf8"),
                                         QStringLiteral("-ww"), QStringLiteral("-z")},
                                        page.toUtf8());
        EXPECT_TRUE(run.ran && run.exitCode == 0 && run.err.isEmpty()) << name.toStdString() << ": " << text(run);
    }
}

// The simulator's manual page and its --help describe the same options and commands.
TEST_F(InstalledTree, SimulatorManualPageCoversEveryOptionAndCommand) {
    const QString page = plainRoff(tree.manualPage(QStringLiteral("vantrel-sim")));
    ASSERT_FALSE(page.isEmpty());
    const Finished help = runProgram(tree.path(QStringLiteral("bin/vantrel-sim")), {QStringLiteral("--help")});
    ASSERT_TRUE(help.ran && help.exitCode == 0) << text(help);

    QSet<QString> helpOptions = optionNames(help.out);
    ASSERT_GE(helpOptions.size(), 20);
    helpOptions << QStringLiteral("--help"); // the option that prints the text is not in it
    const QSet<QString> pageOptions = optionNames(tags(page, QStringLiteral("OPTIONS")).join(QLatin1Char('\n')));
    for (const QString& option : helpOptions)
        EXPECT_TRUE(pageOptions.contains(option)) << option.toStdString() << " is not described";
    for (const QString& option : pageOptions)
        EXPECT_TRUE(helpOptions.contains(option)) << option.toStdString() << " is described but does not exist";

    const QString commandsPart = help.out.section(QStringLiteral("Commands on standard input"), 1);
    ASSERT_FALSE(commandsPart.isEmpty());
    QSet<QString> helpCommands;
    static const QRegularExpression commandLine(QStringLiteral("^  ([a-z]+)"), QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& m : commandLine.globalMatch(commandsPart.section(QStringLiteral("\n\n"), 0, 0)))
        helpCommands << m.captured(1);
    ASSERT_GE(helpCommands.size(), 14);
    QSet<QString> pageCommands;
    for (const QString& tag : tags(page, QStringLiteral("COMMANDS")))
        for (const QString& word : tag.split(QRegularExpression(QStringLiteral("[ ,]+")), Qt::SkipEmptyParts))
            if (word.front().isLower())
                pageCommands << word;
    for (const QString& command : helpCommands)
        EXPECT_TRUE(pageCommands.contains(command)) << command.toStdString() << " is not described";
}

// The port table of the tool's manual page is the mapping the serial driver uses.
TEST_F(InstalledTree, ToolManualPageTellsThePortMappingAndTheFiles) {
    const QString page = plainRoff(tree.manualPage(QStringLiteral("vantrel5")));
    ASSERT_FALSE(page.isEmpty());
    PortLinks noLinks; // so that no link of the machine's user stands in for a device

    static const QRegularExpression range(
        QStringLiteral("^\\.BR COM(\\d+) \" to \" COM(\\d+)\\n\\.I (\\S+)\\nto\\n\\.IR (\\S+) \\."),
        QRegularExpression::MultilineOption);
    int next = 1;
    for (const QRegularExpressionMatch& m : range.globalMatch(page)) {
        const int first = m.captured(1).toInt();
        const int last = m.captured(2).toInt();
        EXPECT_EQ(first, next) << "the ranges leave a gap or overlap";
        EXPECT_EQ(vantrel::devicePathForPort(QStringLiteral("COM%1").arg(first)), m.captured(3));
        EXPECT_EQ(vantrel::devicePathForPort(QStringLiteral("COM%1").arg(last)), m.captured(4));
        next = last + 1;
    }
    EXPECT_EQ(next, vantrel::HighestPortNumber + 1) << "the ranges do not reach COM96";

    for (const char* needle : {"VantrelSetup.ini", "APNs.dat", ".VT3", "dialout", "$XDG_CONFIG_HOME/vantrel/ports",
                               "~/.config/vantrel/ports", "working directory", "home directory"})
        EXPECT_TRUE(page.contains(QString::fromUtf8(needle))) << needle;
}
