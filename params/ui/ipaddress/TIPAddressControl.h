// The IP address entry control of the receiver tab: four whole-number fields with per-field limits kept
// over the platform's address field (IPAddressEdit), which does the typing and the display.
//
// The stored values follow the user's typing at once; values set by the program are checked against the
// field's limits first. A value outside them goes to OnRangeError when a handler is set, and otherwise
// leaves 255 in the field and raises a VantrelError with the range error text.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

namespace vantrel {

class IPAddressEdit;
class TCustomIPAddressControl;

struct TIPAddrRange {
    std::uint8_t LowerLimit = 0;
    std::uint8_t UpperLimit = 255;
    bool operator==(const TIPAddrRange&) const = default;
};

struct TIPAddressField {
    int Digit = 0;
    TIPAddrRange Range;
    int Index = 0;
    TCustomIPAddressControl* Owner = nullptr;
};

class TCustomIPAddressControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Field0 READ Field0 WRITE setField0)
    Q_PROPERTY(int Field1 READ Field1 WRITE setField1)
    Q_PROPERTY(int Field2 READ Field2 WRITE setField2)
    Q_PROPERTY(int Field3 READ Field3 WRITE setField3)
    Q_PROPERTY(QString IPAddress READ IPAddress WRITE setIPAddress)
    Q_PROPERTY(bool Modified READ Modified)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
public:
    static constexpr int FieldCount = 4;
    // Called with the control, the field's limits, the value and the field's number counted from 1.
    using RangeErrorHandler =
        std::function<void(TCustomIPAddressControl* sender, TIPAddrRange range, int value, int field)>;

    explicit TCustomIPAddressControl(QWidget* parent = nullptr);

    // Field n, 0 to 3; field 0 is the first, most significant part of the address. setField may throw
    // VantrelError (see the file comment).
    int field(int n) const;
    void setField(int n, int value);
    int Field0() const { return field(0); }
    int Field1() const { return field(1); }
    int Field2() const { return field(2); }
    int Field3() const { return field(3); }
    void setField0(int value) { setField(0, value); }
    void setField1(int value) { setField(1, value); }
    void setField2(int value) { setField(2, value); }
    void setField3(int value) { setField(3, value); }

    // The limits of field n; the names of the odd fields are spelt as the forms have always used them.
    TIPAddrRange rangeField(int n) const;
    void setRangeField(int n, TIPAddrRange range);
    TIPAddrRange RangeField0() const { return rangeField(0); }
    TIPAddrRange RangeFiled1() const { return rangeField(1); }
    TIPAddrRange RangeField2() const { return rangeField(2); }
    TIPAddrRange RangeFiled3() const { return rangeField(3); }
    void setRangeField0(TIPAddrRange range) { setRangeField(0, range); }
    void setRangeFiled1(TIPAddrRange range) { setRangeField(1, range); }
    void setRangeField2(TIPAddrRange range) { setRangeField(2, range); }
    void setRangeFiled3(TIPAddrRange range) { setRangeField(3, range); }

    // "a.b.c.d" in decimal, or empty while the control is blank. Setting it parses up to four parts; a part
    // that is not a number or not within its limits stops there and blanks the control, silently.
    QString IPAddress();
    void setIPAddress(const QString& text);

    // True when the address shown differs from the stored values.
    bool Modified() const;

    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool on);

    const RangeErrorHandler& OnRangeError() const { return onRangeError_; }
    void setOnRangeError(RangeErrorHandler handler) { onRangeError_ = std::move(handler); }

    const TIPAddressField& addressField(int n) const { return fields_.at(static_cast<std::size_t>(n)); }
    IPAddressEdit* platformControl() const { return edit_; }

    // "$12C liegt nicht im gültigen Bereich zwischen $0..$FF"
    static QString rangeErrorText(int value, TIPAddrRange range);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void OnChange();
    void OnEnter();
    void OnExit();

protected:
    void changeEvent(QEvent* event) override;

private:
    void showValues();
    void applyAutoSize();
    QSize autoSizeExtent() const;

    std::array<TIPAddressField, FieldCount> fields_;
    IPAddressEdit* edit_;
    RangeErrorHandler onRangeError_;
    bool autoSize_ = false;
};

// The control as forms place it.
class TIPAddressControl : public TCustomIPAddressControl {
    Q_OBJECT
public:
    explicit TIPAddressControl(QWidget* parent = nullptr);
};

} // namespace vantrel
