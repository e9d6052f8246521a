// Paints a few widgets that change many times a second (the bar and the line under it, with every page of
// a transfer) at most every so often: the screen, and a screen reader, follow at a pace a person can take
// in. Each paint costs the processor far more than a page does.
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace vantrel {

class PaintPacer : public QObject {
public:
    PaintPacer(QList<QWidget*> widgets, int intervalMs, QObject* parent = nullptr);

    // Call before changing the widgets. True: the change shows now. False: the paint waits until it is
    // due; a change that need not be made at once (a text) can wait for the catch-up, which runs then.
    bool beforeChange();
    void setCatchUp(std::function<void()> catchUp) { catchUp_ = std::move(catchUp); }
    // Paints what waits at once and lets later changes paint as they come.
    void flush();

private:
    void setPainting(bool on);

    QList<QPointer<QWidget>> widgets_;
    int intervalMs_;
    QElapsedTimer sincePaint_;
    QTimer due_;
    bool held_ = false;
    std::function<void()> catchUp_;
};

} // namespace vantrel
