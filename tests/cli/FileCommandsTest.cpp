// diff, export, import and set on files: statuses, the JSON of differences (spare runs in hex), the round
// trip through export and import, and refusals that leave every file as it was.
#include "tests/cli/CliHarness.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

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
