// The status history ring, its summary and its CSV form.
#include "monitor/SignalHistory.h"

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
    if (style == CsvStyle::Spreadsheet) {
        QByteArray csv = "\xEF\xBB\xBF";
        csv += QStringLiteral("idő;térerő;IN1;IN2;IN3;IN4;vezetékes vonal;hívásállapot\r\n").toUtf8();
        for (const Sample& s : samples(nowMsecs)) {
            csv += QDateTime::fromMSecsSinceEpoch(s.msecsSinceEpoch)
                       .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                       .toUtf8();
            csv += ';' + QByteArray::number(s.status.SignalLevel);
            for (int n = 0; n < 4; ++n)
                csv += (s.status.InputFlags & (1u << n)) ? ";1" : ";0";
            csv += lineInOrder(s.status) ? ";rendben" : ";nincs";
            csv += ';' + QByteArray::number(s.status.CallState);
            csv += "\r\n";
        }
        return csv;
    }
    QByteArray csv = "time,signal,inputs,line,call_state\n";
    for (const Sample& s : samples(nowMsecs)) {
        csv += QDateTime::fromMSecsSinceEpoch(s.msecsSinceEpoch).toString(Qt::ISODateWithMs).toUtf8();
        csv += ',' + QByteArray::number(s.status.SignalLevel);
        csv += ',' + QByteArray::number(s.status.InputFlags & 0x0F, 2).rightJustified(4, '0');
        csv += lineInOrder(s.status) ? ",ok" : ",fault";
        csv += ',' + QByteArray::number(s.status.CallState);
        csv += '\n';
    }
    return csv;
}

} // namespace vantrel
