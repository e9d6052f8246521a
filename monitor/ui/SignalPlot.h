// The signal level of the last ten minutes as a painted line, with a tick where inputs, the wired line or
// the call state changed. Painted by hand: a chart library would cost far more than this one line.
#pragma once

#include "monitor/SignalHistory.h"

#include <QWidget>

namespace vantrel {

class SignalPlot : public QWidget {
    Q_OBJECT
public:
    explicit SignalPlot(const SignalHistory& history, QWidget* parent = nullptr);
    // The time the plot ends at; the status window sets it on each repaint it asks for.
    void setNow(qint64 msecs) { now_ = msecs; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const SignalHistory& history_;
    qint64 now_ = 0;
};

} // namespace vantrel
