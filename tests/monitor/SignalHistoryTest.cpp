// The status history: ten minutes kept in a fixed ring, summary figures, change marks and CSV.
#include "monitor/SignalHistory.h"

#include <gtest/gtest.h>

using vantrel::SignalHistory;
using vantrel::StatusRecord;

TEST(SignalHistory, KeepsTenMinutesSummarisesMarksChangesAndExports) {
    SignalHistory h;
    const qint64 t0 = 1'700'000'000'000;
    // An hour of replies every 500 ms: only the last ten minutes remain, the ring never grows.
    for (int i = 0; i < 7200; ++i) {
        StatusRecord s;
        s.SignalLevel = static_cast<std::uint8_t>(10 + i % 3);
        s.InputFlags = i == 7190 ? 0x11 : 0x10;
        h.add(t0 + i * 500, s);
    }
    const qint64 now = t0 + 7199 * 500;
    const auto samples = h.samples(now);
    EXPECT_EQ(samples.size(), 1201u);
    const auto sum = h.summary(now);
    EXPECT_EQ(sum.minimum, 10);
    EXPECT_EQ(sum.maximum, 12);
    EXPECT_NEAR(sum.mean, 11.0, 0.01);
    int marks = 0;
    for (const auto& s : samples)
        marks += s.changed ? 1 : 0;
    EXPECT_EQ(marks, 2); // IN1 closed, then open again
    const QList<QByteArray> lines = h.toCsv(now).split('\n');
    EXPECT_EQ(lines[0], QByteArray("time,signal,inputs,line,call_state"));
    EXPECT_TRUE(lines[1].endsWith(",0000,ok,0")) << lines[1].constData();
    EXPECT_EQ(lines.size(), 1203); // header, samples, final empty piece
}

// Saved from the window for a spreadsheet set to Hungarian: ";" between fields, a UTF-8 byte-order mark,
// one column per input so that no input pattern is read as a number.
TEST(SignalHistory, SpreadsheetCsvUsesSemicolonsAndAByteOrderMark) {
    SignalHistory h;
    const qint64 t0 = 1'700'000'000'000;
    StatusRecord s;
    s.InputFlags = 0x15;
    s.SignalLevel = 17;
    s.CallState = 9;
    h.add(t0, s);
    const QByteArray csv = h.toCsv(t0, vantrel::CsvStyle::Spreadsheet);
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    const QList<QByteArray> lines = csv.mid(3).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(QString::fromUtf8(lines[0]), QStringLiteral("idő;térerő;IN1;IN2;IN3;IN4;vezetékes vonal;hívásállapot"));
    EXPECT_TRUE(lines[1].endsWith(";17;1;0;1;0;rendben;9")) << lines[1].constData();
    EXPECT_FALSE(lines[1].contains(','));
}
