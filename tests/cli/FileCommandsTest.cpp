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
