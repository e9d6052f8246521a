// APN preset items, the built-in list and the APNs.dat file.
#include "params/ApnPresets.h"

#include "common/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(ApnPresetItem, BuiltInListHasPaddedNamesAndQuotedValues) {
    const QStringList list = builtInApnPresets();
    ASSERT_EQ(list.size(), 5);
    EXPECT_EQ(list[1], QStringLiteral("T-Mobile                               \"internet\",\"\",\"\""));
    const QStringList names{"Egyéni beállítás", "T-Mobile", "Pannon GSM", "Vodafone", "VodaVitamax"};
    for (qsizetype i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].indexOf(QLatin1Char('"')), ApnPresetNameWidth) << i;
        EXPECT_EQ(apnPresetName(list[i]), names[i]);
    }
    EXPECT_EQ(ParseApnPreset(list[2]), (ApnPreset{"net", "", ""}));
    EXPECT_EQ(ParseApnPreset(list[3]).apn, QStringLiteral("internet.vodafone.net"));
    EXPECT_EQ(ParseApnPreset(list[4]).apn, QStringLiteral("vitamax.internet.vodafone.net"));
}

TEST(ApnPresetItem, Parse) {
    struct Row {
        const char* item;
        ApnPreset values;
    };
    const Row rows[] = {
        {"Op  \"a\",\"b\",\"c\"", {"a", "b", "c"}},
        {"Short\"a\",\"b\",\"c\"", {"a", "b", "c"}},
        {"Op \"apn.x\",\"\",\"pw\"", {"apn.x", "", "pw"}},
        {"No quotes at all", {"", "", ""}},
        {"Op \"only-apn\"", {"only-apn", "", ""}},
        {"Op \"unclosed", {"", "", ""}},
        {"Op \"a\",\"b", {"a", "", ""}},
        {"", {"", "", ""}},
        {"Op \"a b\",\"u\",\"p\",\"extra\"", {"a b", "u", "p"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ParseApnPreset(QString::fromUtf8(row.item)), row.values) << row.item;
}

TEST(ApnPresetFile, LineEnds) {
    struct Row {
        QByteArray bytes;
        QStringList lines;
    };
    const Row rows[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\rc", {"a", "b", "c"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\n\r\nb", {"a", "", "b"}},
        {"\r\n", {""}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(splitApnPresetLines(row.bytes), row.lines) << row.bytes.toStdString();
    EXPECT_EQ(splitApnPresetLines(QByteArray("\xC9gi\xE9", 4)), QStringList{QStringLiteral("Égié")}) << "Windows-1250";
    EXPECT_EQ(joinApnPresetLines({QStringLiteral("Ő"), QStringLiteral("b")}), QByteArray("\xD5\r\nb\r\n"));
}

TEST(ApnPresetFile, ReadWhatIsThereOrNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(apnPresetFileName());
    EXPECT_FALSE(readApnPresetFile(path).has_value()) << "missing";

    writeBytes(path, "");
    EXPECT_FALSE(readApnPresetFile(path).has_value()) << "no line at all";

    writeBytes(path, "Saj\xE1t  \"x\",\"\",\"\"\nM\xE1sik \"y\",\"u\",\"p\"");
    const auto lines = readApnPresetFile(path);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines,
              (QStringList{QStringLiteral("Saját  \"x\",\"\",\"\""), QStringLiteral("Másik \"y\",\"u\",\"p\"")}));

    EXPECT_FALSE(readApnPresetFile(dir.path()).has_value()) << "a directory";

    writeBytes(path, QByteArray(ApnPresetFileLimit + 1, 'x'));
    EXPECT_FALSE(readApnPresetFile(path).has_value()) << "too large";
}

TEST(ApnPresetFile, WriteReplacesWithCrLfLines) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(apnPresetFileName());
    writeBytes(path, "old content that is longer than the new one\n");
    writeApnPresetFile(path, builtInApnPresets());
    const QByteArray written = readAll(path);
    EXPECT_EQ(written, joinApnPresetLines(builtInApnPresets()));
    EXPECT_TRUE(written.endsWith("vodafone.net\",\"\",\"\"\r\n"));
    EXPECT_EQ(written.count('\n'), 5);
    EXPECT_EQ(readApnPresetFile(path), builtInApnPresets());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{apnPresetFileName()})
        << "no temporary file left behind";
}

TEST(ApnPresetFile, WriteFailureRaisesAndLeavesNothingBehind) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    try {
        writeApnPresetFile(dir.filePath(QStringLiteral("missing/APNs.dat")), {"x"});
        ADD_FAILURE() << "no error raised";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Invalid filename")); // the folder on the way is missing
    }
    // A directory in the file's place cannot be replaced, not even by root.
    const QString path = dir.filePath(apnPresetFileName());
    ASSERT_TRUE(QDir(dir.path()).mkpath(apnPresetFileName() + QStringLiteral("/inside")));
    try {
        writeApnPresetFile(path, {"new"});
        ADD_FAILURE() << "no error raised";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("File access denied"));
    }
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{}) << "temporary file removed";
}

TEST(ApnPresetFile, EmptyLinesAreNoPresetsAndTheCountIsBounded) {
    QTemporaryDir dir;
    const QString path = dir.filePath(apnPresetFileName());
    // A million empty lines around two items: two presets, nothing said.
    writeBytes(path, QByteArray(500000, '\n') + "Egy \"a\",\"\",\"\"\r\n\r\n  \r\nKet \"b\",\"\",\"\"" +
                         QByteArray(500000, '\n'));
    QString note;
    const auto two = readApnPresetFile(path, &note);
    ASSERT_TRUE(two.has_value());
    EXPECT_EQ(two->size(), 2);
    EXPECT_TRUE(note.isEmpty()) << note.toStdString();
    // More items than a list can hold: the first ones, and one sentence that says so.
    QByteArray many;
    for (int i = 0; i < ApnPresetCountLimit + 50; ++i)
        many += "Op" + QByteArray::number(i) + " \"apn\",\"\",\"\"\n";
    writeBytes(path, many);
    const auto bounded = readApnPresetFile(path, &note);
    ASSERT_TRUE(bounded.has_value());
    EXPECT_EQ(bounded->size(), ApnPresetCountLimit);
    EXPECT_TRUE(bounded->first().startsWith("Op0 "));
    EXPECT_TRUE(note.contains("50")) << note.toStdString();
}
