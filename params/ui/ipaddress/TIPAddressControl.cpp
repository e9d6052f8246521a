// The IP address entry control: stored values, limits and the address text over the platform field.
#include "params/ui/ipaddress/TIPAddressControl.h"

#include "common/Errors.h"
#include "params/ui/ipaddress/IPAddressEdit.h"

#include <QEvent>
#include <QHBoxLayout>

#include <algorithm>
#include <limits>

namespace vantrel {

namespace {

constexpr QSize kCreatedSize(121, 25);

// Hexadecimal as a 32-bit integer prints it, upper case: -1 reads FFFFFFFF.
QString hex(int value) {
    return QString::number(static_cast<quint32>(value), 16).toUpper();
}

// A part of an address text: a decimal integer with an optional sign, nothing else.
struct NotANumber {};
int parsePart(const QString& part) {
    bool ok = false;
    const qlonglong value = part.toLongLong(&ok, 10);
    if (!ok || part.trimmed() != part || value < std::numeric_limits<int>::min() ||
        value > std::numeric_limits<int>::max())
        throw NotANumber{};
    return static_cast<int>(value);
}

} // namespace

TCustomIPAddressControl::TCustomIPAddressControl(QWidget* parent) : QWidget(parent), edit_(new IPAddressEdit(this)) {
    for (int i = 0; i < FieldCount; ++i) {
        fields_[static_cast<std::size_t>(i)].Index = i;
        fields_[static_cast<std::size_t>(i)].Owner = this;
    }
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit_);
    setFocusProxy(edit_);
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Window);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    resize(kCreatedSize);

    connect(edit_, &IPAddressEdit::fieldChanged, this,
            [this](int n, int value) { fields_[static_cast<std::size_t>(n)].Digit = value; });
    connect(edit_, &IPAddressEdit::textChanged, this, &TCustomIPAddressControl::OnChange);
    connect(edit_, &IPAddressEdit::entered, this, &TCustomIPAddressControl::OnEnter);
    connect(edit_, &IPAddressEdit::left, this, &TCustomIPAddressControl::OnExit);

    // As the window comes into being: cleared, sized, then showing the stored values (0.0.0.0).
    edit_->clear();
    applyAutoSize();
    showValues();
}

int TCustomIPAddressControl::field(int n) const {
    return fields_.at(static_cast<std::size_t>(n)).Digit;
}

void TCustomIPAddressControl::setField(int n, int value) {
    TIPAddressField& f = fields_.at(static_cast<std::size_t>(n));
    // Nothing to do when the field already holds and shows the value. A field the user emptied shows
    // nothing, so it is shown again even though its stored value (0) did not change.
    if (value == f.Digit && edit_->fieldText(n) == QString::number(value & 0xFF))
        return;
    if (value < f.Range.LowerLimit || value > f.Range.UpperLimit) {
        if (onRangeError_) {
            onRangeError_(this, f.Range, value, n + 1);
        } else {
            f.Digit = 255;
            throw VantrelError(rangeErrorText(value, f.Range));
        }
    }
    f.Digit = value;
    showValues();
}

TIPAddrRange TCustomIPAddressControl::rangeField(int n) const {
    return fields_.at(static_cast<std::size_t>(n)).Range;
}

void TCustomIPAddressControl::setRangeField(int n, TIPAddrRange range) {
    fields_.at(static_cast<std::size_t>(n)).Range = range;
    edit_->setRange(n, range.LowerLimit, range.UpperLimit);
}

QString TCustomIPAddressControl::IPAddress() {
    if (edit_->isBlank())
        return {};
    if (Modified()) {
        const IPAddressEdit::Values shown = edit_->values();
        for (std::size_t i = 0; i < fields_.size(); ++i)
            fields_[i].Digit = shown[i];
    }
    QStringList parts;
    for (const TIPAddressField& f : fields_)
        parts << QString::number(f.Digit);
    return parts.join(QLatin1Char('.'));
}

void TCustomIPAddressControl::setIPAddress(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    const int count = static_cast<int>(std::min<qsizetype>(parts.size(), FieldCount));
    try {
        for (int k = 0; k < count; ++k)
            setField(k, parsePart(parts[k]));
    } catch (const NotANumber&) {
        edit_->clear();
    } catch (const VantrelError&) {
        edit_->clear();
    }
}

bool TCustomIPAddressControl::Modified() const {
    const IPAddressEdit::Values shown = edit_->values();
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (shown[i] != fields_[i].Digit)
            return true;
    return false;
}

void TCustomIPAddressControl::setAutoSize(bool on) {
    if (autoSize_ == on)
        return;
    autoSize_ = on;
    applyAutoSize();
}

QString TCustomIPAddressControl::rangeErrorText(int value, TIPAddrRange range) {
    return QStringLiteral("$%1 liegt nicht im gültigen Bereich zwischen $%2..$%3")
        .arg(hex(value), hex(range.LowerLimit), hex(range.UpperLimit));
}

QSize TCustomIPAddressControl::autoSizeExtent() const {
    const QFontMetrics metrics(font());
    return QSize((metrics.maxWidth() + 8) * 8, metrics.height() + 8);
}

QSize TCustomIPAddressControl::sizeHint() const {
    if (autoSize_)
        return autoSizeExtent();
    return kCreatedSize.expandedTo(edit_->sizeHint());
}

QSize TCustomIPAddressControl::minimumSizeHint() const {
    return autoSize_ ? autoSizeExtent() : edit_->minimumSizeHint();
}

void TCustomIPAddressControl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange && autoSize_)
        applyAutoSize();
    QWidget::changeEvent(event);
}

void TCustomIPAddressControl::showValues() {
    IPAddressEdit::Values values{};
    for (std::size_t i = 0; i < fields_.size(); ++i)
        values[i] = fields_[i].Digit;
    edit_->setValues(values);
}

void TCustomIPAddressControl::applyAutoSize() {
    if (autoSize_) {
        setFixedSize(autoSizeExtent());
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    updateGeometry();
}

TIPAddressControl::TIPAddressControl(QWidget* parent) : TCustomIPAddressControl(parent) {}

} // namespace vantrel
