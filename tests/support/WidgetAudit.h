// Checks on a window that a keyboard or screen-reader user depends on, for the tests of every window:
// buttons that say what they do, inputs a screen reader can name, and the order Tab visits controls in.
#pragma once

#include <QStringList>

class QWidget;

namespace vantrel::test {

// One line per control a user would miss something on: a push button without a tooltip, an input (edit,
// spin box, list, table, check box, radio button) whose accessible name is empty. Hidden controls count too,
// since they may be shown later.
QStringList accessibilityGaps(const QWidget& window);

// The controls Tab visits, by object name, starting from the one that has the focus and pressing Tab until
// the focus comes round again (at most `limit` presses). A control's unnamed parts report the name of the
// nearest named owner, once. The window must be the active one.
QStringList tabChain(QWidget& window, int limit = 200);

} // namespace vantrel::test
