// Painting the signal history.
#include "monitor/ui/SignalPlot.h"

#include "common/StateColour.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace vantrel {

namespace {

constexpr int kScaleTop = 31;
constexpr int kMinuteStep = 2;
constexpr int kSpanMinutes = static_cast<int>(SignalHistory::kSpanMs / 60000);
const int kLevelTicks[] = {0, 8, 16, 24, 31};

QColor qcolour(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

} // namespace

SignalPlot::SignalPlot(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void SignalPlot::setLive(bool live) {
    if (live == live_)
        return;
    live_ = live;
    update();
}

QSize SignalPlot::minimumSizeHint() const {
    const QFontMetrics fm(font());
    // Room for the scale's numbers, the minute labels and a readable line between them.
    return {fm.horizontalAdvance(QStringLiteral("-10 perc")) * 5, fm.height() * 6};
}

QSize SignalPlot::sizeHint() const {
    const QFontMetrics fm(font());
    return {minimumSizeHint().width(), fm.height() * 8};
}

void SignalPlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font());
    paintPlot(p, rect());
}

void SignalPlot::paintPlot(QPainter& p, const QRect& area) const {
    const QFontMetrics fm(p.font());
    const QColor ink = live_ ? QColor(Qt::black) : qcolour(colour::Greyed);
    p.fillRect(area, Qt::white);
    // The scale's numbers on the left, the minutes under the plot.
    const int left = area.left() + fm.horizontalAdvance(QStringLiteral("31")) + 8;
    const int right = area.right() - fm.horizontalAdvance(QStringLiteral("0 perc")) / 2 - 4;
    const int top = area.top() + fm.height() / 2 + 2;
    const int bottom = area.bottom() - fm.height() - 4;
    if (right <= left || bottom <= top)
        return;
    const QRectF r(left, top, right - left, bottom - top);
    const qint64 start = now_ - SignalHistory::kSpanMs;
    auto x = [&](qint64 t) { return r.left() + r.width() * static_cast<double>(t - start) / SignalHistory::kSpanMs; };
    auto y = [&](int level) { return r.bottom() - r.height() * std::min(level, kScaleTop) / double(kScaleTop); };

    p.setPen(QColor(220, 220, 220));
    for (int level : kLevelTicks)
        p.drawLine(QPointF(r.left(), y(level)), QPointF(r.right(), y(level)));
    p.setPen(ink);
    p.drawRect(r);
    for (int level : kLevelTicks) {
        const QRectF label(area.left(), y(level) - fm.height() / 2.0, left - area.left() - 4, fm.height());
        p.drawText(label, Qt::AlignRight | Qt::AlignVCenter, QString::number(level));
    }
    for (int minutes = kSpanMinutes; minutes >= 0; minutes -= kMinuteStep) {
        const double at = x(now_ - minutes * 60000LL);
        p.drawLine(QPointF(at, r.bottom()), QPointF(at, r.bottom() + 3));
        const QString text = minutes == 0 ? QStringLiteral("0 perc") : QStringLiteral("-%1").arg(minutes);
        const int w = fm.horizontalAdvance(text);
        const double textLeft = std::clamp(at - w / 2.0, double(area.left()), double(area.right() - w));
        p.drawText(QPointF(textLeft, r.bottom() + 4 + fm.ascent()), text);
    }

    if (history_ == nullptr)
        return;
    QPainterPath line;
    bool first = true;
    p.setPen(live_ ? QColor(200, 0, 0) : qcolour(colour::Greyed));
    for (const auto& s : history_->samples(now_)) {
        const QPointF pt(x(s.msecsSinceEpoch), y(s.status.SignalLevel));
        if (first)
            line.moveTo(pt);
        else
            line.lineTo(pt);
        first = false;
        if (s.changed)
            p.drawLine(QPointF(pt.x(), r.top()), QPointF(pt.x(), r.top() + 6));
    }
    p.setPen(QPen(live_ ? QColor(0, 0, 160) : qcolour(colour::Greyed), 1.5));
    p.drawPath(line);
}

QImage SignalPlot::picture(const QString& port, const QString& figures) const {
    QImage image(800, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    QFont font = this->font();
    font.setPixelSize(14);
    p.setFont(font);
    const QFontMetrics fm(font);
    const QString heading = QStringLiteral("GSM térerő (0-31), az utolsó %1 perc — %2 — %3")
                                .arg(kSpanMinutes)
                                .arg(port.isEmpty() ? QStringLiteral("ismeretlen port") : port,
                                     QDateTime::fromMSecsSinceEpoch(now_).toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    p.setPen(Qt::black);
    p.drawText(QPointF(12, 10 + fm.ascent()), heading);
    p.drawText(QPointF(12, 10 + fm.height() + fm.ascent()), figures);
    const int plotTop = 20 + 2 * fm.height();
    paintPlot(p, QRect(8, plotTop, image.width() - 16, image.height() - plotTop - 8));
    return image;
}

} // namespace vantrel
