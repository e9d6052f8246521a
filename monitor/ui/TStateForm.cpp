#include "monitor/ui/TStateForm.h"

#include "protocol/ModuleLink.h"
#include "protocol/ui/MemoBox.h"
#include "ui_TStateForm.h"

#include <QTimer>

namespace vantrel {

namespace {
constexpr int kPollIntervalMs = 500;
}

TStateForm::TStateForm(ModuleLink& link, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TStateForm>()), link_(link), timerState_(new QTimer(this)) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    timerState_->setObjectName(QStringLiteral("TimerState"));
    timerState_->setInterval(kPollIntervalMs);
    connect(timerState_, &QTimer::timeout, this, &TStateForm::TimerStateTimer);
    connect(ui->btClearMsg, &QPushButton::clicked, this, &TStateForm::btClearMsgClick);
    connect(ui->btClose, &QPushButton::clicked, this, &TStateForm::btCloseClick);
    adjustSize();
    setFixedSize(size());
}

TStateForm::~TStateForm() = default;

MemoBox* TStateForm::MemoState() const {
    return ui->MemoState;
}

void TStateForm::setState(QLabel* label, const StateText& state) {
    label->setText(state.text);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(state.colour.r, state.colour.g, state.colour.b));
    label->setPalette(palette);
}

void TStateForm::ShowStatus() {
    const StatusView view = statusView(status_);
    QLabel* inputs[] = {ui->lbIN1, ui->lbIN2, ui->lbIN3, ui->lbIN4};
    for (int n = 0; n < 4; ++n)
        setState(inputs[n], view.inputs[n]);
    setState(ui->lbLineVoltage, view.line);
    setState(ui->lbGSMLine, view.call);
    ui->pbTerero->setValue(view.signalBar);
    ui->lbGSMpowVal->setText(view.signalText);
}

void TStateForm::showEvent(QShowEvent* event) {
    timerState_->start();
    QDialog::showEvent(event);
}

void TStateForm::hideEvent(QHideEvent* event) {
    timerState_->stop();
    QDialog::hideEvent(event);
}

void TStateForm::TimerStateTimer() {
    link_.SendLine(QByteArrayLiteral("??"));
}

void TStateForm::btClearMsgClick() {
    ui->MemoState->clear();
}

void TStateForm::btCloseClick() {
    close();
}

} // namespace vantrel
