// Four octet fields in one frame: typing, navigation, limits and the blank state.
#include "params/ui/ipaddress/IPAddressEdit.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace vantrel {

namespace {

int valueOf(const QString& text) {
    return text.isEmpty() ? 0 : text.toInt();
}

// Focus moving between windows or into a popup is not the installer leaving the control.
bool isWindowSwitch(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

} // namespace

IPAddressEdit::IPAddressEdit(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(0);
    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < FieldCount; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("octet%1").arg(i));
        edit->setFrame(false);
        edit->setAlignment(Qt::AlignCenter);
        edit->setMaxLength(3);
        edit->setValidator(digits);
        edit->setBackgroundRole(QPalette::Base);
        // Only the first field is a tab stop: Tab leaves the control, as with one edit.
        if (i > 0)
            edit->setFocusPolicy(Qt::ClickFocus);
        edit->installEventFilter(this);
        edits_[static_cast<std::size_t>(i)] = edit;
        layout->addWidget(edit);
        connect(edit, &QLineEdit::textChanged, this, &IPAddressEdit::textChanged);
        connect(edit, &QLineEdit::textEdited, this, [this, i, edit](const QString& text) {
            emit fieldChanged(i, valueOf(text));
            if (text.size() == 3 && edit->cursorPosition() == 3) {
                commitField(i);
                if (i + 1 < FieldCount)
                    moveTo(i + 1, true, false);
            }
        });
        if (i + 1 < FieldCount) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setBackgroundRole(QPalette::Base);
            dots_[static_cast<std::size_t>(i)] = dot;
            layout->addWidget(dot);
        }
    }
    setFocusProxy(edits_[0]);
    setFocusPolicy(Qt::StrongFocus);
    updateFieldWidths();
}

bool IPAddressEdit::isBlank() const {
    return std::all_of(edits_.begin(), edits_.end(), [](const QLineEdit* e) { return e->text().isEmpty(); });
}

void IPAddressEdit::clear() {
    for (QLineEdit* edit : edits_)
        edit->clear();
}

void IPAddressEdit::setValues(const Values& values) {
    for (std::size_t i = 0; i < edits_.size(); ++i)
        edits_[i]->setText(QString::number(values[i] & 0xFF));
}

IPAddressEdit::Values IPAddressEdit::values() const {
    Values out{};
    for (std::size_t i = 0; i < edits_.size(); ++i)
        out[i] = valueOf(edits_[i]->text());
    return out;
}

QString IPAddressEdit::fieldText(int field) const {
    return edits_[static_cast<std::size_t>(field)]->text();
}

void IPAddressEdit::setRange(int field, int lower, int upper) {
    lower_[static_cast<std::size_t>(field)] = lower;
    upper_[static_cast<std::size_t>(field)] = upper;
}

int IPAddressEdit::indexOf(QObject* watched) const {
    const auto it = std::find(edits_.begin(), edits_.end(), watched);
    return it == edits_.end() ? -1 : static_cast<int>(it - edits_.begin());
}

void IPAddressEdit::commitField(int field) {
    QLineEdit* edit = edits_[static_cast<std::size_t>(field)];
    if (edit->text().isEmpty())
        return;
    const int typed = valueOf(edit->text());
    const int kept =
        std::clamp(typed, lower_[static_cast<std::size_t>(field)], upper_[static_cast<std::size_t>(field)]);
    const QString shown = QString::number(kept);
    if (edit->text() != shown)
        edit->setText(shown);
    if (kept != typed)
        emit fieldChanged(field, kept);
}

void IPAddressEdit::moveTo(int field, bool selectAll, bool atEnd) {
    QLineEdit* edit = edits_[static_cast<std::size_t>(field)];
    edit->setFocus(Qt::OtherFocusReason);
    if (selectAll)
        edit->selectAll();
    else
        edit->setCursorPosition(atEnd ? static_cast<int>(edit->text().size()) : 0);
}

bool IPAddressEdit::handleKey(int field, QKeyEvent* event) {
    QLineEdit* edit = edits_[static_cast<std::size_t>(field)];
    const bool atStart = edit->cursorPosition() == 0 && !edit->hasSelectedText();
    const bool atEnd = edit->cursorPosition() == edit->text().size() && !edit->hasSelectedText();
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
        if (!edit->text().isEmpty() && field + 1 < FieldCount) {
            commitField(field);
            moveTo(field + 1, true, false);
        }
        return true;
    case Qt::Key_Backspace:
        if (atStart && field > 0) {
            moveTo(field - 1, false, true);
            return true;
        }
        return false;
    case Qt::Key_Left:
        if (atStart && field > 0) {
            moveTo(field - 1, false, true);
            return true;
        }
        return false;
    case Qt::Key_Right:
        if (atEnd && field + 1 < FieldCount) {
            moveTo(field + 1, false, false);
            return true;
        }
        return false;
    case Qt::Key_Up:
    case Qt::Key_Down:
        // The control keeps the arrow keys; they do not wander off to other controls.
        return true;
    default:
        return false;
    }
}

bool IPAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    const int field = indexOf(watched);
    if (field < 0)
        return QFrame::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        return handleKey(field, static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn: {
        const auto* focus = static_cast<QFocusEvent*>(event);
        if (!focusInside_ && !isWindowSwitch(focus->reason())) {
            focusInside_ = true;
            emit entered();
        }
        break;
    }
    case QEvent::FocusOut: {
        const auto* focus = static_cast<QFocusEvent*>(event);
        commitField(field);
        // The new focus widget is already set when the old one hears that it lost the focus.
        const QWidget* now = QApplication::focusWidget();
        if (focusInside_ && !isWindowSwitch(focus->reason()) && (now == nullptr || !isAncestorOf(now))) {
            focusInside_ = false;
            emit left();
        }
        break;
    }
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

void IPAddressEdit::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        updateFieldWidths();
    QFrame::changeEvent(event);
}

void IPAddressEdit::updateFieldWidths() {
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(QStringLiteral("0000"));
    for (QLineEdit* edit : edits_)
        edit->setFixedWidth(width);
}

} // namespace vantrel
