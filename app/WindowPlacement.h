// Where the tool's own windows appear: the first time one is shown, beside the window that opened it (to
// the right, else to the left), or cascaded from it when neither side has room, and always inside the
// screen; so a new window hides as little as it can of the one the installer came from. Qt's standard boxes (messages, file
// dialogs, the input box) stay centred over their owner, where the desktop puts them.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>

class QWidget;

namespace vantrel {

// Where a window of the given frame size goes: right of the opener's frame, left of it, or cascaded from
// it, each pulled inside the screen's available area, whichever hides least of the opener. A window larger
// than the screen keeps its top left corner on the screen.
QPoint placeBeside(const QRect& opener, const QSize& frame, const QRect& screen);

class WindowPlacement : public QObject {
    Q_OBJECT
public:
    // Watches every window of the application; the main window and the splash are never moved.
    WindowPlacement(QWidget* mainWindow, QWidget* splash, QObject* parent = nullptr);
    ~WindowPlacement() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> main_;
    QPointer<QWidget> splash_;
};

} // namespace vantrel
