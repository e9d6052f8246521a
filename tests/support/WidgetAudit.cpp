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
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
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

} // namespace

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
