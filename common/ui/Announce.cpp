#include "common/ui/Announce.h"

#include <QAccessible>
#include <QLabel>

namespace vantrel {

// The label's accessible name is always set, to the words a screen reader is to read: a label without one
// announces every text it is given, and one with a fixed name never says what it shows.
void announceText(QLabel* label, const QString& text) {
    if (label->accessibleName() == text) {
        QAccessibleEvent changed(label, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    } else {
        label->setAccessibleName(text); // tells the screen reader
    }
    label->setText(text);
}

} // namespace vantrel
