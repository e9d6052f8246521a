#include "transfer/ui/PageBar.h"

#include <QPainter>
#include <algorithm>

namespace vantrel {

PageBar::PageBar(QWidget* parent) : QProgressBar(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent); // every pixel is painted here: nothing under it needs painting
}

QRect PageBar::filledPart(int position) const {
    const QRect inside = rect().adjusted(1, 1, -1, -1);
    const qint64 span = qint64(maximum()) - minimum();
    const qint64 done = std::clamp<qint64>(qint64(position) - minimum(), 0, span);
    QRect filled = inside;
    filled.setWidth(span > 0 ? static_cast<int>(inside.width() * done / span) : 0);
    return filled;
}

void PageBar::setPosition(int position) {
    // Painted with the window's next paint instead of at once as setValue does: the line under the bar
    // changes with it, and both are painted in one go.
    const bool painting = updatesEnabled(); // off while a pacer holds the paints back
    if (painting)
        setUpdatesEnabled(false);
    setValue(position);
    if (painting)
        setUpdatesEnabled(true); // asks for the paint
}

void PageBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect inside = rect().adjusted(1, 1, -1, -1);
    const QRect filled = filledPart(value());
    painter.fillRect(inside.adjusted(filled.width(), 0, 0, 0), palette().color(QPalette::Base));
    if (filled.width() > 0)
        painter.fillRect(filled, palette().color(QPalette::Highlight));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace vantrel
