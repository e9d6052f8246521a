// Keyboard habits every window of the tool shares: Enter presses the button that has the focus (as Space
// does), and the focus is drawn from the moment a window opens and whenever the tool moves it itself, not
// only after the first Tab.
#pragma once

#include <QObject>

namespace vantrel {

class KeyboardFocus : public QObject {
public:
    // Watches every window of the application (a filter is dropped by Qt when it is deleted).
    explicit KeyboardFocus(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace vantrel
