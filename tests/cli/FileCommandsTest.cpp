// diff, export, import and set on files: statuses, the JSON of differences (spare runs in hex), the round
// trip through export and import, and refusals that leave every file as it was; targets that are not files,
// exports given as parameter files, standard output that fails, and names that are not UTF-8.
#include "tests/cli/CliHarness.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace vantrel::test;

TEST(CliFiles, DiffReportsFieldsAndSpareRuns) {
    Scratch files;
    const QByteArray a = patternImage(4);
    QByteArray b = a;
    b[1030] = char(0x11); // spare: no field covers it
    b[282] = char(7);
    const CliRun same = runCli({"diff", "--json", files.write("a.VT3", a), files.write("a2.VT3", a)});
    EXPECT_EQ(same.status, 0);
    EXPECT_TRUE(QJsonDocument::fromJson(same.out)["equal"].toBool());

    const CliRun differ = runCli({"diff", "--json", files.path("a.VT3"), files.write("b.VT3", b)});
    EXPECT_EQ(differ.status, 1);
    const QJsonArray rows = QJsonDocument::fromJson(differ.out)["differences"].toArray();
    ASSERT_EQ(rows.size(), 2) << differ.out.toStdString();
    EXPECT_EQ(rows[0]["field"].toString(), "CallMax");
    EXPECT_EQ(rows[0]["right"].toInt(), 7);
    EXPECT_EQ(rows[1]["field"].toString(), "spare");
    EXPECT_EQ(rows[1]["offset"].toInt(), 1030);
    EXPECT_EQ(rows[1]["size"].toInt(), 1);
    EXPECT_EQ(rows[1]["left"].toString(), "5A");
    EXPECT_EQ(rows[1]["right"].toString(), "11");

    const CliRun text = runCli({"diff", files.path("a.VT3"), files.path("b.VT3")});
    EXPECT_EQ(text.status, 1);
    EXPECT_TRUE(text.out.contains("CallMax")) << text.out.toStdString();
}

TEST(CliFiles, ExportImportSetRoundTrip) {
    Scratch files;
    const QByteArray image = patternImage(5);
    files.write("p.VT3", image);
    const CliRun json = runCli({"export", files.path("p.VT3")});
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    files.write("p.json", json.out);
    ASSERT_EQ(runCli({"import", files.path("p.json"), "-o", files.path("back.VT3")}).status, 0);
    EXPECT_EQ(files.read("back.VT3"), image);

    const CliRun csv = runCli({"export", files.path("p.VT3"), "--format", "csv"});
    EXPECT_EQ(csv.status, 0);
    EXPECT_TRUE(csv.out.contains("CallMax")) << csv.out.left(200).toStdString();

    // A site template: only the fields it names change, the rest come from the base.
    files.write("site.json", R"({"format": "vantrel5-parameters", "version": 1, "fields": {"CallMax": 12}})");
    const CliRun site =
        runCli({"import", files.path("site.json"), "-o", files.path("site.VT3"), "--base", files.path("p.VT3")});
    ASSERT_EQ(site.status, 0) << site.err.toStdString();
    const QByteArray made = files.read("site.VT3");
    ASSERT_EQ(made.size(), 1088);
    EXPECT_EQ(made[282], char(12));
    EXPECT_EQ(made.left(282), image.left(282));

    ASSERT_EQ(runCli({"set", files.path("p.VT3"), "CallMax=10", "SMS1=\"Riasztás\"", "IPAddress1=10.0.0.5", "-o",
                      files.path("set.VT3")})
                  .status,
              0);
    const CliRun check = runCli({"diff", "--json", files.path("p.VT3"), files.path("set.VT3")});
    QStringList changed;
    for (const QJsonValue& row : QJsonDocument::fromJson(check.out)["differences"].toArray())
        changed << row["field"].toString();
    EXPECT_EQ(changed, QStringList({"CallMax", "SMS1", "IPAddress1"}));
    EXPECT_EQ(files.read("p.VT3"), image) << "-o leaves the input alone";
}

TEST(CliFiles, BadInputIsRefusedAndNothingIsLost) {
    Scratch files;
    const QByteArray image = patternImage(6);
    files.write("p.VT3", image);
    files.write("short.VT3", image.left(100));

    const CliRun unknown = runCli({"set", files.path("p.VT3"), "CallMax=3", "NoSuchField=1"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains("NoSuchField")) << unknown.err.toStdString();
    EXPECT_TRUE(unknown.err.contains("Valid names:") && unknown.err.contains("SMS13")) << unknown.err.toStdString();
    const CliRun range = runCli({"set", files.path("p.VT3"), "CallMax=99"}, QStringLiteral("hu_HU.UTF-8"));
    EXPECT_EQ(range.status, 2);
    EXPECT_TRUE(range.err.contains("25")) << "the range is given: " << range.err.toStdString();
    EXPECT_EQ(files.read("p.VT3"), image);

    EXPECT_EQ(runCli({"diff", files.path("p.VT3"), files.path("short.VT3")}).status, 5);
    EXPECT_EQ(runCli({"diff", files.path("p.VT3"), files.path("missing.VT3")}).status, 5);
    EXPECT_EQ(runCli({"export", QDir::tempPath()}).status, 5);

    files.write("bad.json", "{ not json");
    EXPECT_EQ(runCli({"import", files.path("bad.json"), "-o", files.path("out.VT3")}).status, 2);
    EXPECT_FALSE(QFile::exists(files.path("out.VT3")));

    QFile::setPermissions(files.path("p.VT3"), QFileDevice::ReadOwner);
    const CliRun denied = runCli({"set", files.path("p.VT3"), "CallMax=3"});
    EXPECT_EQ(denied.status, 5) << denied.err.toStdString();
    EXPECT_EQ(files.read("p.VT3"), image);
}

// Messages that say what is wrong in the language of the run: which characters a phone number takes, what
// an input that is no file is, the file reasons in Hungarian, the log's warning in one language.
TEST(CliFiles, MessagesSayWhatIsWrongInOneLanguage) {
    Scratch files;
    files.write("p.VT3", patternImage(8));
    const struct {
        QStringList args;
        QString lang;
        int status;
        const char* says;
    } rows[] = {
        {{"set", files.path("p.VT3"), "USER1=+36201234567"}, "C", 2, "only the digits 0-9"},
        {{"set", files.path("p.VT3"), "USER1=+36201234567"}, "hu_HU.UTF-8", 2, "csak számjegyek (0-9)"},
        {{"diff", files.path("p.VT3"), QDir::tempPath()}, "C", 5, "this is a directory, not a file"},
        {{"export", "/dev/null"}, "C", 5, "this is a device, not a file"},
        {{"import", QDir::tempPath(), "-o", files.path("o.VT3")}, "hu_HU.UTF-8", 5, "ez egy mappa, nem fájl"},
        {{"diff", files.path("p.VT3"), files.path("missing.VT3")}, "hu_HU.UTF-8", 5, "A fájl nem található"},
        {{"diff", files.path("p.VT3"), files.path("missing.VT3")}, "C", 5, "File not found"},
    };
    for (const auto& row : rows) {
        const CliRun run = runCli(row.args, row.lang);
        SCOPED_TRACE(row.args.join(' ').toStdString());
        EXPECT_EQ(run.status, row.status) << run.err.toStdString();
        EXPECT_TRUE(QString::fromUtf8(run.err).contains(QString::fromUtf8(row.says))) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains("access denied")) << run.err.toStdString();
    }

    // An event log that cannot be written: one warning, in the language of the run only.
    const QString notAFolder = files.write("state", "a file where the log's folder should be");
    for (const QString lang : {"C", "hu_HU.UTF-8"}) {
        const CliRun run = runCli({"set", files.path("p.VT3"), "CallMax=4"}, lang, {"XDG_STATE_HOME=" + notAFolder});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        const bool hungarian = lang.startsWith("hu");
        EXPECT_EQ(run.err.contains("Figyelmeztetés: az eseménynapló"), hungarian) << run.err.toStdString();
        EXPECT_EQ(run.err.contains("Warning: the event log"), !hungarian) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains("warning: Figyelmeztetés") || run.err.contains("figyelmeztetés: Figyelmeztetés"));
    }
}

// The receivers' block never reaches the module: set, import and write say so when they carry a value
// there, and say nothing for fields the module holds.
TEST(CliFiles, SettingsKeptOnlyInTheFileAreSaid) {
    Scratch files;
    QByteArray image = patternImage(9);
    image.replace(960, 128, QByteArray(128, '\0'));
    files.write("p.VT3", image);
    const CliRun plain = runCli({"set", files.path("p.VT3"), "CallMax=4", "USER1=3620123"});
    EXPECT_EQ(plain.status, 0);
    EXPECT_TRUE(plain.err.isEmpty()) << plain.err.toStdString();

    const CliRun set = runCli({"set", files.path("p.VT3"), "CallMax=5", "PanelID=12", "Port2=5000"});
    EXPECT_EQ(set.status, 0) << set.err.toStdString();
    EXPECT_TRUE(set.err.contains("Kept only in the file, never sent to the module: PanelID, Port2."))
        << set.err.toStdString();
    EXPECT_TRUE(runCli({"set", "-q", files.path("p.VT3"), "PanelID=13"}).err.isEmpty());

    files.write("site.json",
                R"({"format": "vantrel5-parameters", "version": 1, "fields": {"CallMax": 3, "ServerID": 7}})");
    const CliRun import =
        runCli({"import", files.path("site.json"), "-o", files.path("s.VT3"), "--base", files.path("p.VT3")},
               QStringLiteral("hu_HU.UTF-8"));
    EXPECT_EQ(import.status, 0) << import.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(import.err)
                    .contains(QStringLiteral("Csak a fájlban tárolódik, a modulba nem kerül: ServerID.")))
        << import.err.toStdString();

    // write: the module takes the pages; the outcome says what stayed behind in the file.
    SimulatorProcess sim(7, {"--no-pacing"});
    const CliRun write = runCli({"write", "--port", "COM7", "--no-backup", files.path("s.VT3")});
    ASSERT_EQ(write.status, 0) << write.err.toStdString();
    EXPECT_TRUE(write.out.contains("Kept only in the file, never sent to the module: PanelID, Port2, ServerID."))
        << write.out.toStdString();
    EXPECT_EQ(runCli({"compare", "--port", "COM7", files.path("s.VT3")}).status, 0);
}

namespace {

struct RawRun {
    int status = -1; // -1: ended by a signal
    QByteArray err;
};

// Runs vantrel5-cli with arguments given as bytes (names that are no text in any encoding included) and
// standard output on outFd (-1: /dev/null), in the C locale.
RawRun runRaw(const QList<QByteArray>& arguments, int outFd = -1) {
    int errPipe[2];
    if (::pipe(errPipe) != 0)
        return {};
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd >= 0 ? outFd : devNull, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, errPipe[0]);
    QList<QByteArray> args{QByteArray(VANTREL_CLI)};
    args += arguments;
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QList<QByteArray> env;
    for (char** e = environ; *e; ++e)
        if (!QByteArray(*e).startsWith("LANG=") && !QByteArray(*e).startsWith("LC_"))
            env << QByteArray(*e);
    env << "LANG=C";
    std::vector<char*> envp;
    for (QByteArray& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, VANTREL_CLI, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(errPipe[1]);
    ::close(devNull);
    RawRun run;
    char buffer[4096];
    for (ssize_t n; spawned == 0 && (n = ::read(errPipe[0], buffer, sizeof buffer)) > 0;)
        run.err.append(buffer, n);
    ::close(errPipe[0]);
    int status = 0;
    if (spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    return run;
}

QString typeOf(const QString& path) {
    const QFileInfo info(path);
    return info.isSymLink() ? "link"
           : info.isDir()   ? "folder"
           : info.isFile()  ? "file"
           : info.exists()  ? "node"
                            : "none";
}

} // namespace

TEST(CliFiles, NeverReplacesWhatIsNotAFileAndSaysSoBeforeTheModule) {
    Scratch files;
    const QString image = files.write("p.VT3", patternImage(7));
    const QString json = files.write("p.json", R"({"format": "vantrel5-parameters", "version": 1, "fields": {}})");
    ASSERT_EQ(::mkfifo(QFile::encodeName(files.path("fifo")).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkdir(files.path("folder")));
    QStringList targets{files.path("fifo"), files.path("folder")};
    // As root, a device node of the test's own (the null device's numbers), never the system's.
    if (::geteuid() == 0 &&
        ::mknod(QFile::encodeName(files.path("device")).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        targets << files.path("device");
    for (const QString& target : targets) {
        const QString before = typeOf(target);
        // COM99 has no device: a read that got as far as the port would fail with status 4.
        const QList<QStringList> commands{{"read", "--port", "COM99", target},
                                          {"set", image, "CallMax=3", "-o", target},
                                          {"import", json, "-o", target},
                                          {"export", image, "-o", target}};
        for (const QStringList& command : commands) {
            const CliRun run = runCli(command);
            EXPECT_EQ(run.status, 5) << command.join(' ').toStdString() << ": " << run.err.toStdString();
            EXPECT_TRUE(run.err.contains("File access denied") || run.err.contains("not a file"))
                << run.err.toStdString();
            EXPECT_EQ(typeOf(target), before) << command.join(' ').toStdString();
        }
    }
}

TEST(CliFiles, AnExportIsReadAsAnExportWhereverAParameterFileIsTaken) {
    Scratch files;
    const QByteArray image = patternImage(8);
    files.write("p.VT3", image);
    const CliRun exported = runCli({"export", files.path("p.VT3"), "-o", files.path("site.json")});
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_TRUE(exported.out.isEmpty());
    const CliRun same = runCli({"diff", files.path("site.json"), files.path("p.VT3")});
    EXPECT_EQ(same.status, 0) << same.out.toStdString() << same.err.toStdString();

    // set keeps an export an export: without -o it would put raw bytes in its place.
    const QByteArray text = files.read("site.json");
    EXPECT_EQ(runCli({"set", files.path("site.json"), "CallMax=3"}).status, 2);
    EXPECT_EQ(files.read("site.json"), text);
    ASSERT_EQ(runCli({"set", files.path("site.json"), "CallMax=3", "-o", files.path("q.VT3")}).status, 0);
    EXPECT_EQ(files.read("q.VT3").at(282), char(3));

    // Neither an export nor a whole parameter file: refused, also when it is long enough to pass as one.
    files.write("broken.json", "{ \"format\": " + QByteArray(1200, ' ') + "}");
    const CliRun broken = runCli({"write", "--port", "COM99", files.path("broken.json")});
    EXPECT_EQ(broken.status, 2) << broken.err.toStdString();
    files.write("short.bin", QByteArray(500, '\x01'));
    const CliRun tooShort = runCli({"write", "--port", "COM99", files.path("short.bin")});
    EXPECT_EQ(tooShort.status, 5);
    EXPECT_TRUE(tooShort.err.contains("Read beyond end of file")) << tooShort.err.toStdString();

    // A failed export leaves the file it would have replaced as it was.
    EXPECT_EQ(runCli({"export", files.path("missing.VT3"), "-o", files.path("site.json")}).status, 5);
    EXPECT_EQ(files.read("site.json"), text);
}

TEST(CliFiles, StandardOutputThatCannotTakeTheResultIsStatus5) {
    Scratch files;
    files.write("p.VT3", patternImage(9));
    files.write("q.VT3", patternImage(10));
    const QList<QList<QByteArray>> commands{
        {"export", QFile::encodeName(files.path("p.VT3"))},
        {"diff", "--json", QFile::encodeName(files.path("p.VT3")), QFile::encodeName(files.path("q.VT3"))},
        {"ports", "--json"}};
    for (const QList<QByteArray>& command : commands) {
        // A full disk: the system's full device opened for writing only, nothing replaced.
        const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
        ASSERT_GE(full, 0);
        const RawRun onFull = runRaw(command, full);
        ::close(full);
        EXPECT_EQ(onFull.status, 5) << command.join(' ').toStdString() << onFull.err.toStdString();
        EXPECT_TRUE(onFull.err.contains("standard output")) << onFull.err.toStdString();
        // A pipe whose reader has gone.
        int pipe[2];
        ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
        ::close(pipe[0]);
        const RawRun closed = runRaw(command, pipe[1]);
        ::close(pipe[1]);
        EXPECT_EQ(closed.status, 5) << command.join(' ').toStdString() << closed.err.toStdString();
    }
}

TEST(CliFiles, ANameThatIsNotUtf8IsRefusedNeverTakenForAnother) {
    Scratch files;
    const QByteArray folder = QFile::encodeName(files.path(""));
    const QByteArray latin = folder + "r\xE9.VT3";
    const RawRun read = runRaw({"read", "--port", "COM99", latin});
    EXPECT_EQ(read.status, 5) << read.err.toStdString();
    EXPECT_TRUE(read.err.contains("r\\xE9.VT3")) << read.err.toStdString();
    EXPECT_TRUE(QDir(files.path("")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).isEmpty())
        << "a file of another name was made";
    // An existing such file is named as it is, not "File not found".
    const int fd = ::open(latin.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, patternImage(11).constData(), 1088), 1088);
    ::close(fd);
    const RawRun diff = runRaw({"diff", latin, latin});
    EXPECT_EQ(diff.status, 5);
    EXPECT_FALSE(diff.err.contains("File not found")) << diff.err.toStdString();
}
