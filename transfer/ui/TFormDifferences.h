// The "Eltérések" window: one row per differing field (and spare run) with the tab and label the installer
// knows and both values as the editor shows them; the list can be copied as text or saved as CSV.
#pragma once

#include "report/ImageDiff.h"

#include <QDialog>
#include <memory>
#include <vector>

namespace Ui {
class TFormDifferences;
}

namespace vantrel {

class TFormDifferences : public QDialog {
    Q_OBJECT
public:
    explicit TFormDifferences(QWidget* parent = nullptr);
    ~TFormDifferences() override;

    // Shows rows under the two headings (what was compared with what).
    void showDifferences(std::vector<DiffRow> rows, const QString& leftHeading, const QString& rightHeading);
    const std::vector<DiffRow>& rows() const { return rows_; }

private:
    void btCopyClick();
    void btSaveCsvClick();

    std::unique_ptr<Ui::TFormDifferences> ui;
    std::vector<DiffRow> rows_;
    QString leftHeading_;
    QString rightHeading_;
};

} // namespace vantrel
