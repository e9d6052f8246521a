#include "transfer/ui/PaintPacer.h"

namespace vantrel {

PaintPacer::PaintPacer(QList<QWidget*> widgets, int intervalMs, QObject* parent)
    : QObject(parent), intervalMs_(intervalMs) {
    for (QWidget* w : widgets)
        widgets_.append(w);
    due_.setSingleShot(true);
    connect(&due_, &QTimer::timeout, this, [this] {
        if (catchUp_)
            catchUp_();
        setPainting(true);
        sincePaint_.start();
    });
}

bool PaintPacer::beforeChange() {
    if (held_)
        return false; // a paint is already due
    if (!sincePaint_.isValid() || sincePaint_.elapsed() >= intervalMs_) {
        sincePaint_.start();
        return true;
    }
    setPainting(false);
    due_.start(static_cast<int>(intervalMs_ - sincePaint_.elapsed()));
    return false;
}

void PaintPacer::flush() {
    const bool wasHeld = held_;
    due_.stop();
    if (wasHeld && catchUp_)
        catchUp_();
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
