#include "app/WindowPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace vantrel {

namespace {
const char* const kPlaced = "vantrelPlaced";
}

WindowPlacement::WindowPlacement(QWidget* mainWindow, QWidget* splash, QObject* parent)
    : QObject(parent), main_(mainWindow), splash_(splash) {
    qApp->installEventFilter(this);
}

WindowPlacement::~WindowPlacement() {
    qApp->removeEventFilter(this);
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show || !watched->isWidgetType())
        return false;
    auto* window = static_cast<QWidget*>(watched);
    if (!window->isWindow() || window->parentWidget() != nullptr || window == main_ || window == splash_ ||
        main_ == nullptr || !main_->isVisible() || window->property(kPlaced).toBool())
        return false;
    // Once only: a window the installer has moved stays where they put it.
    window->setProperty(kPlaced, true);
    QRect frame = window->frameGeometry();
    frame.moveCenter(main_->frameGeometry().center());
    window->move(frame.topLeft());
    return false;
}

} // namespace vantrel
