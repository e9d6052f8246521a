#include "protocol/ui/TFormDetails.h"

#include "protocol/ui/MemoBox.h"
#include "ui_TFormDetails.h"

namespace vantrel {

TFormDetails::TFormDetails(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TFormDetails>()) {
    ui->setupUi(this);
    connect(ui->btClear, &QPushButton::clicked, this, &TFormDetails::btClearClick);
    connect(ui->Close, &QPushButton::clicked, this, &TFormDetails::CloseClick);
}

TFormDetails::~TFormDetails() = default;

MemoBox* TFormDetails::Memo2() const { return ui->Memo2; }
MemoBox* TFormDetails::Memo3() const { return ui->Memo3; }
MemoBox* TFormDetails::Memo4() const { return ui->Memo4; }
MemoBox* TFormDetails::Memo5() const { return ui->Memo5; }
MemoBox* TFormDetails::MemoDTMF() const { return ui->MemoDTMF; }

void TFormDetails::btClearClick() {
    // The tags stay: a line ended before clearing still makes the next character open a new line.
    for (MemoBox* box : {ui->Memo2, ui->Memo3, ui->Memo4, ui->Memo5, ui->MemoDTMF})
        box->clear();
}

void TFormDetails::CloseClick() {
    hide();
}

} // namespace vantrel
