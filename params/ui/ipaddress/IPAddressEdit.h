// The platform part of the IP address control, which Qt lacks: four octet fields behind one frame, with
// the typing and navigation an installer knows from such fields (digits only, three digits or a dot move
// on, backspace and the arrows cross into the neighbouring field), per-field limits, and a blank state.
#pragma once

#include <QFrame>
#include <array>

class QLineEdit;
class QLabel;

namespace vantrel {

class IPAddressEdit : public QFrame {
    Q_OBJECT
public:
    static constexpr int FieldCount = 4;
    using Values = std::array<int, FieldCount>;

    explicit IPAddressEdit(QWidget* parent = nullptr);

    // Blank: every field empty.
    bool isBlank() const;
    void clear();
    // Shows the four values, each taken into 0..255 by its low byte, the way an address packs into 32 bits.
    void setValues(const Values& values);
    // The values shown; an empty field reads 0.
    Values values() const;
    QString fieldText(int field) const;

    // Values typed beyond the limits of a field are pulled to the nearest limit when the field is left.
    void setRange(int field, int lower, int upper);

    // The line edit of a field, for focus and keyboard tests.
    QLineEdit* fieldEdit(int field) const { return edits_[static_cast<std::size_t>(field)]; }

signals:
    // The user changed the value of a field (typing, deleting, or the limits pulling it back).
    void fieldChanged(int field, int value);
    // The text of any field changed, by the user or by the program.
    void textChanged();
    // The focus came into the control from outside, or left it.
    void entered();
    void left();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int indexOf(QObject* watched) const;
    bool handleKey(int field, class QKeyEvent* event);
    // Pulls a field into its limits; reports the field when that changed its value.
    void commitField(int field);
    void moveTo(int field, bool selectAll, bool atEnd);
    void updateFieldWidths();

    std::array<QLineEdit*, FieldCount> edits_{};
    std::array<QLabel*, FieldCount - 1> dots_{};
    std::array<int, FieldCount> lower_{0, 0, 0, 0};
    std::array<int, FieldCount> upper_{255, 255, 255, 255};
    bool focusInside_ = false;
};

} // namespace vantrel
