// Paints a few widgets that change many times a second (the bar and the line under it, with every page of
// a transfer) at most every so often: their values change at once, as anything reading them sees, but the
// screen follows at a pace a person can read. Each paint costs the processor far more than a page does.
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace vantrel {

class PaintPacer : public QObject {
public:
    PaintPacer(QList<QWidget*> widgets, int intervalMs, QObject* parent = nullptr);

    // Call before changing the widgets: when a paint is not due yet, the change waits for the next one.
    void beforeChange();
    // Paints what waits at once and lets later changes paint as they come.
    void flush();

private:
    void setPainting(bool on);

    QList<QPointer<QWidget>> widgets_;
    int intervalMs_;
    QElapsedTimer sincePaint_;
    QTimer due_;
    bool held_ = false;
};

} // namespace vantrel
