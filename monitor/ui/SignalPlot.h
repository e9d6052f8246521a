// The signal level of the last ten minutes as a painted line on a time axis in minutes and the 0-31 scale,
// with a tick where inputs, the wired line or the call state changed. Painted by hand: a chart library
// would cost far more than this one line. The same drawing makes the picture saved to a file.
#pragma once

#include "monitor/SignalHistory.h"

#include <QImage>
#include <QWidget>

namespace vantrel {

class SignalPlot : public QWidget {
    Q_OBJECT
public:
    explicit SignalPlot(QWidget* parent = nullptr);
    // The history painted; it must outlive the plot.
    void setHistory(const SignalHistory* history) { history_ = history; }
    // The time the plot ends at; the status window sets it on each repaint it asks for.
    void setNow(qint64 msecs) { now_ = msecs; }
    // Values no longer live are painted grey.
    void setLive(bool live);
    bool live() const { return live_; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    // The plot as a picture to keep: a heading with the port and the date, the figures of the span, then
    // the plot as the window shows it.
    QImage picture(const QString& port, const QString& figures) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintPlot(QPainter& p, const QRect& area) const;

    const SignalHistory* history_ = nullptr;
    qint64 now_ = 0;
    bool live_ = true;
};

} // namespace vantrel
