// The status history ring, its summary and its CSV form.
#include "monitor/SignalHistory.h"

#include "report/Csv.h"

#include <algorithm>

namespace vantrel {

namespace {
bool lineInOrder(const StatusRecord& s) {
    return (s.InputFlags & 0x10) != 0;
}
} // namespace

void SignalHistory::add(qint64 msecsSinceEpoch, const StatusRecord& status) {
    Sample s;
    s.msecsSinceEpoch = msecsSinceEpoch;
    s.status = status;
    if (size_ > 0) {
        const StatusRecord& prev = ring_[(next_ + kCapacity - 1) % kCapacity].status;
        s.changed = prev.InputFlags != status.InputFlags || prev.CallState != status.CallState;
    }
    ring_[next_] = s;
    next_ = (next_ + 1) % kCapacity;
    size_ = std::min(size_ + 1, kCapacity);
}

void SignalHistory::clear() {
    next_ = 0;
    size_ = 0;
}

std::vector<SignalHistory::Sample> SignalHistory::samples(qint64 nowMsecs) const {
    std::vector<Sample> out;
    out.reserve(size_);
    for (std::size_t i = 0; i < size_; ++i) {
        const Sample& s = ring_[(next_ + kCapacity - size_ + i) % kCapacity];
        if (s.msecsSinceEpoch >= nowMsecs - kSpanMs && s.msecsSinceEpoch <= nowMsecs)
            out.push_back(s);
    }
    return out;
}

SignalHistory::Summary SignalHistory::summary(qint64 nowMsecs) const {
    Summary sum;
    long long total = 0;
    for (const Sample& s : samples(nowMsecs)) {
        const int level = s.status.SignalLevel;
        sum.minimum = sum.count == 0 ? level : std::min(sum.minimum, level);
        sum.maximum = sum.count == 0 ? level : std::max(sum.maximum, level);
        total += level;
        ++sum.count;
    }
    sum.mean = sum.count > 0 ? static_cast<double>(total) / sum.count : 0.0;
    return sum;
}

QByteArray SignalHistory::toCsv(qint64 nowMsecs, CsvStyle style) const {
    // For a spreadsheet the inputs go one column each, so that "0101" is not read as a number.
    const bool sheet = style == CsvStyle::Spreadsheet;
    QString csv = csvStart(style);
    csv += sheet ? csvLine({QStringLiteral("idő"), QStringLiteral("térerő"), QStringLiteral("IN1"),
                            QStringLiteral("IN2"), QStringLiteral("IN3"), QStringLiteral("IN4"),
                            QStringLiteral("vezetékes vonal"), QStringLiteral("hívásállapot")},
                           style)
                 : csvLine({QStringLiteral("time"), QStringLiteral("signal"), QStringLiteral("inputs"),
                            QStringLiteral("line"), QStringLiteral("call_state")},
                           style);
    for (const Sample& s : samples(nowMsecs)) {
        const QDateTime time = QDateTime::fromMSecsSinceEpoch(s.msecsSinceEpoch);
        const bool line = lineInOrder(s.status);
        QStringList cells;
        if (sheet) {
            cells << time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << QString::number(s.status.SignalLevel);
            for (int n = 0; n < 4; ++n)
                cells << ((s.status.InputFlags & (1u << n)) ? QStringLiteral("1") : QStringLiteral("0"));
            cells << (line ? QStringLiteral("rendben") : QStringLiteral("nincs"));
        } else {
            cells << time.toString(Qt::ISODateWithMs) << QString::number(s.status.SignalLevel)
                  << QString::number(s.status.InputFlags & 0x0F, 2).rightJustified(4, QLatin1Char('0'))
                  << (line ? QStringLiteral("ok") : QStringLiteral("fault"));
        }
        cells << QString::number(s.status.CallState);
        csv += csvLine(cells, style);
    }
    return csv.toUtf8();
}

} // namespace vantrel
