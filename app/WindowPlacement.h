// Where the tool's own windows appear: centred over the main window the first time they are shown, so they
// open where the installer is looking rather than wherever the window manager puts a window without an
// owner. Windows with an owner are left to the toolkit, which centres them over their owner.
#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace vantrel {

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
