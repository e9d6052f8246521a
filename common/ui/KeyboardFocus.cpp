#include "common/ui/KeyboardFocus.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>

namespace vantrel {

namespace {

bool isEnterKey(const QKeyEvent& key) {
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
           (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// The styles draw the focus only on a window marked as driven by the keyboard, which Qt does at the first
// Tab; a person who has not pressed Tab yet would not see where Enter or Space lands.
void showFocusIn(QWidget* widget) {
    QWidget* window = widget->window();
    if (window->testAttribute(Qt::WA_KeyboardFocusChange))
        return;
    window->setAttribute(Qt::WA_KeyboardFocusChange);
    if (QWidget* focused = window->focusWidget())
        focused->update();
}

} // namespace

KeyboardFocus::KeyboardFocus(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

bool KeyboardFocus::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::KeyPress: {
        // A button that is its dialog's default answers Enter itself; the others, the tool's buttons
        // included, take it here. Only the button that has the focus: Enter in a field presses nothing.
        auto* key = static_cast<QKeyEvent*>(event);
        auto* push = qobject_cast<QPushButton*>(widget);
        const bool ownEnter = push != nullptr && (push->autoDefault() || push->isDefault());
        if (!isEnterKey(*key) || ownEnter || widget->window()->focusWidget() != widget || !widget->isEnabled())
            return false;
        if (push == nullptr && qobject_cast<QToolButton*>(widget) == nullptr)
            return false;
        if (!key->isAutoRepeat())
            static_cast<QAbstractButton*>(widget)->click();
        return true;
    }
    case QEvent::Show:
        if (widget->isWindow())
            showFocusIn(widget);
        return false;
    case QEvent::FocusIn:
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::OtherFocusReason)
            showFocusIn(widget);
        return false;
    default:
        return false;
    }
}

} // namespace vantrel
