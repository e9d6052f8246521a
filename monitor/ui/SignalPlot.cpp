// Painting the signal history.
#include "monitor/ui/SignalPlot.h"

#include <QPainter>
#include <QPainterPath>

namespace vantrel {

SignalPlot::SignalPlot(const SignalHistory& history, QWidget* parent) : QWidget(parent), history_(history) {
    setMinimumHeight(60);
}

void SignalPlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRectF r = rect().adjusted(1, 1, -1, -1);
    p.fillRect(r, Qt::white);
    p.setPen(Qt::gray);
    p.drawRect(r);
    const qint64 start = now_ - SignalHistory::kSpanMs;
    auto x = [&](qint64 t) { return r.left() + r.width() * static_cast<double>(t - start) / SignalHistory::kSpanMs; };
    auto y = [&](int level) { return r.bottom() - r.height() * std::min(level, 31) / 31.0; };
    QPainterPath line;
    bool first = true;
    p.setPen(QColor(200, 0, 0));
    for (const auto& s : history_.samples(now_)) {
        const QPointF pt(x(s.msecsSinceEpoch), y(s.status.SignalLevel));
        if (first)
            line.moveTo(pt);
        else
            line.lineTo(pt);
        first = false;
        if (s.changed)
            p.drawLine(QPointF(pt.x(), r.top()), QPointF(pt.x(), r.top() + 6));
    }
    p.setPen(QPen(QColor(0, 0, 160), 1.5));
    p.drawPath(line);
}

} // namespace vantrel
