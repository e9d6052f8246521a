#include "transfer/ui/PaintPacer.h"

namespace vantrel {

PaintPacer::PaintPacer(QList<QWidget*> widgets, int intervalMs, QObject* parent)
    : QObject(parent), intervalMs_(intervalMs) {
    for (QWidget* w : widgets)
        widgets_.append(w);
    due_.setSingleShot(true);
    connect(&due_, &QTimer::timeout, this, [this] {
        setPainting(true);
        sincePaint_.start();
    });
}

void PaintPacer::beforeChange() {
    if (held_)
        return; // a paint is already due
    if (!sincePaint_.isValid() || sincePaint_.elapsed() >= intervalMs_) {
        sincePaint_.start();
        return;
    }
    setPainting(false);
    due_.start(static_cast<int>(intervalMs_ - sincePaint_.elapsed()));
}

void PaintPacer::flush() {
    due_.stop();
    setPainting(true);
    sincePaint_.invalidate();
}

void PaintPacer::setPainting(bool on) {
    held_ = !on;
    for (const QPointer<QWidget>& w : widgets_)
        if (w)
            w->setUpdatesEnabled(on); // enabling asks for the paint of what changed meanwhile
}

} // namespace vantrel
