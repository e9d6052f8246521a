// Checks on a window that a keyboard or screen-reader user depends on, for the tests of every window:
// buttons that say what they do, inputs a screen reader can name, the order Tab visits controls in, and
// whether what is shown is laid out so that it can be seen.
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

// One line per layout fault of a shown window: a visible control that reaches outside the window (or, in a
// scroll area, outside what it scrolls in), two visible controls that lie over each other (neither holding
// the other), a control squeezed below its minimum size, and a wrapped text cut off at the bottom.
// The inner parts of composite controls (the edit of a spin box, the cells of a table) are the control's.
QStringList layoutProblems(const QWidget& window);

// Whether `text`, as `owner` paints it, has room there: a label's text in its contents (wrapped if the
// label wraps), a status bar's message in the part its child widgets leave free.
bool textHasRoom(const QWidget& owner, const QString& text);

} // namespace vantrel::test
