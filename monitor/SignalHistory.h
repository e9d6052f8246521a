// The status history of the last ten minutes: one sample per status reply in a fixed ring, with the
// minimum, mean and maximum signal level and the samples where inputs, line or call state changed.
// Qt Core only; a fixed ring keeps the memory flat however long the window stays open.
#pragma once

#include "monitor/StatusView.h"
#include "report/Csv.h"

#include <QByteArray>
#include <QDateTime>
#include <vector>

namespace vantrel {

class SignalHistory {
public:
    struct Sample {
        qint64 msecsSinceEpoch = 0;
        StatusRecord status;
        bool changed = false; // inputs, wired line or call state differ from the previous sample
    };
    struct Summary {
        int count = 0;
        int minimum = 0;
        double mean = 0.0;
        int maximum = 0;
    };

    static constexpr qint64 kSpanMs = 10 * 60 * 1000;
    // Two replies a second over the span, with room for a faster module.
    static constexpr std::size_t kCapacity = 4 * 60 * 10;

    void add(qint64 msecsSinceEpoch, const StatusRecord& status);
    void clear();

    // The samples of the last kSpanMs before now, oldest first.
    std::vector<Sample> samples(qint64 nowMsecs) const;
    Summary summary(qint64 nowMsecs) const;

    // Plain: "time,signal,inputs,line,call_state" lines, ISO local time with milliseconds, oldest first,
    // for scripts. Spreadsheet: Hungarian headings, the inputs one column each, local time to the second.
    QByteArray toCsv(qint64 nowMsecs, CsvStyle style = CsvStyle::Plain) const;

private:
    std::vector<Sample> ring_ = std::vector<Sample>(kCapacity);
    std::size_t next_ = 0;
    std::size_t size_ = 0;
};

} // namespace vantrel
