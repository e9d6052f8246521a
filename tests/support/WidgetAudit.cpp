// Tooltip, accessible-name and tab-order checks over a window's widgets.
#include "tests/support/WidgetAudit.h"

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QTextEdit>

namespace vantrel::test {

namespace {

template <typename T> bool insideA(const QWidget* widget) {
    for (const QWidget* w = widget->parentWidget(); w != nullptr; w = w->parentWidget())
        if (qobject_cast<const T*>(w) != nullptr)
            return true;
    return false;
}

// Parts of composite controls are named through their owner: the edit of a spin box or combo box, the
// popup list of a combo box, a view's scroll bars.
bool isInput(const QWidget* w) {
    if (insideA<QComboBox>(w) || insideA<QAbstractSpinBox>(w))
        return false;
    if (qobject_cast<const QScrollBar*>(w) != nullptr || qobject_cast<const QHeaderView*>(w) != nullptr)
        return false;
    return qobject_cast<const QLineEdit*>(w) != nullptr || qobject_cast<const QAbstractSpinBox*>(w) != nullptr ||
           qobject_cast<const QComboBox*>(w) != nullptr || qobject_cast<const QAbstractItemView*>(w) != nullptr ||
           qobject_cast<const QTextEdit*>(w) != nullptr || qobject_cast<const QPlainTextEdit*>(w) != nullptr ||
           qobject_cast<const QAbstractSlider*>(w) != nullptr || qobject_cast<const QCheckBox*>(w) != nullptr ||
           qobject_cast<const QRadioButton*>(w) != nullptr;
}

QString describe(const QWidget* w) {
    QString path = w->objectName().isEmpty() ? QStringLiteral("<unnamed>") : w->objectName();
    for (const QWidget* p = w->parentWidget(); p != nullptr && !p->isWindow(); p = p->parentWidget())
        if (!p->objectName().isEmpty() && !p->objectName().startsWith(QStringLiteral("qt_"))) {
            path = p->objectName() + QLatin1Char('/') + path;
            break;
        }
    return QStringLiteral("%1 (%2)").arg(path, QString::fromLatin1(w->metaObject()->className()));
}

// A control made of parts takes the focus through a proxy; it is named as the control.
QString ownName(const QWidget* w) {
    while (w->parentWidget() != nullptr && w->parentWidget()->focusProxy() == w)
        w = w->parentWidget();
    for (; w != nullptr; w = w->parentWidget())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QStringLiteral("qt_")))
            return w->objectName();
    return QStringLiteral("<unnamed>");
}

// Controls whose children are their own inner parts, laid out by Qt.
bool isComposite(const QWidget* w) {
    return qobject_cast<const QAbstractSpinBox*>(w) != nullptr || qobject_cast<const QComboBox*>(w) != nullptr ||
           qobject_cast<const QTabBar*>(w) != nullptr || qobject_cast<const QAbstractItemView*>(w) != nullptr ||
           qobject_cast<const QTextEdit*>(w) != nullptr || qobject_cast<const QPlainTextEdit*>(w) != nullptr;
}

// The visible widgets of a window that count as controls or their containers.
QList<const QWidget*> laidOutWidgets(const QWidget& window) {
    QList<const QWidget*> out;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (w->isWindow() || !w->isVisibleTo(&window))
            continue;
        bool inner = false;
        for (const QWidget* p = w->parentWidget(); p != &window && p != nullptr; p = p->parentWidget())
            inner = inner || isComposite(p) || p->isWindow();
        if (!inner)
            out << w;
    }
    return out;
}

// Inside a scroll area a control may lie outside the visible part: it scrolls into view.
bool scrolls(const QWidget* w, const QWidget& window) {
    for (const QWidget* p = w->parentWidget(); p != &window && p != nullptr; p = p->parentWidget())
        if (qobject_cast<const QScrollArea*>(p) != nullptr)
            return true;
    return false;
}

QRect rectIn(const QWidget* w, const QWidget& window) {
    return QRect(w->mapTo(&window, QPoint(0, 0)), w->size());
}

QString rectText(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

QStringList layoutProblems(const QWidget& window) {
    QStringList problems;
    const QList<const QWidget*> widgets = laidOutWidgets(window);
    for (const QWidget* w : widgets) {
        const QRect r = rectIn(w, window);
        if (!scrolls(w, window) && !window.rect().contains(r))
            problems << QStringLiteral("%1 at %2 reaches outside the window (%3x%4)")
                            .arg(describe(w), rectText(r))
                            .arg(window.width())
                            .arg(window.height());
        const QSize least = w->minimumSizeHint();
        const bool wraps = w->hasHeightForWidth();
        if (w->width() < least.width() || (!wraps && w->height() < least.height()))
            problems << QStringLiteral("%1 squeezed to %2x%3 below its minimum %4x%5")
                            .arg(describe(w))
                            .arg(w->width())
                            .arg(w->height())
                            .arg(least.width())
                            .arg(least.height());
        if (wraps && w->heightForWidth(w->width()) > w->height())
            problems << QStringLiteral("%1 needs %2 pixels of height at its width, has %3")
                            .arg(describe(w))
                            .arg(w->heightForWidth(w->width()))
                            .arg(w->height());
    }
    for (qsizetype i = 0; i < widgets.size(); ++i)
        for (qsizetype j = i + 1; j < widgets.size(); ++j) {
            const QWidget* a = widgets[i];
            const QWidget* b = widgets[j];
            if (a->isAncestorOf(b) || b->isAncestorOf(a))
                continue;
            const QRect overlap = rectIn(a, window) & rectIn(b, window);
            if (!overlap.isEmpty())
                problems << QStringLiteral("%1 and %2 overlap at %3").arg(describe(a), describe(b), rectText(overlap));
        }
    return problems;
}

bool textHasRoom(const QWidget& owner, const QString& text) {
    if (const auto* label = qobject_cast<const QLabel*>(&owner)) {
        const QRect room = label->contentsRect();
        if (label->wordWrap())
            return label->heightForWidth(label->width()) <= label->height();
        return label->fontMetrics().horizontalAdvance(text) <= room.width();
    }
    // A status bar paints its message left of its widgets (and not at all under them).
    int free = owner.width();
    if (qobject_cast<const QStatusBar*>(&owner) != nullptr)
        for (const QObject* child : owner.children())
            if (const auto* w = qobject_cast<const QWidget*>(child); w != nullptr && w->isVisibleTo(&owner))
                free -= w->width();
    return owner.fontMetrics().horizontalAdvance(text) <= free;
}

QStringList accessibilityGaps(const QWidget& window) {
    QStringList gaps;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (const auto* button = qobject_cast<const QPushButton*>(w); button != nullptr && button->toolTip().isEmpty())
            gaps << describe(w) + QStringLiteral(": no tooltip");
        if (!isInput(w))
            continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(w));
        if (face == nullptr || face->text(QAccessible::Name).trimmed().isEmpty())
            gaps << describe(w) + QStringLiteral(": no accessible name");
    }
    return gaps;
}

QStringList tabChain(QWidget& window, int limit) {
    QStringList chain;
    QWidget* first = QApplication::focusWidget();
    if (first == nullptr || first->window() != &window)
        return chain;
    chain << ownName(first);
    for (int i = 0; i < limit; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        if (now == nullptr || now == first)
            break;
        const QString name = ownName(now);
        if (name != chain.last())
            chain << name;
    }
    return chain;
}

} // namespace vantrel::test
