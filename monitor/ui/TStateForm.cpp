#include "monitor/ui/TStateForm.h"

#include "common/FileIO.h"

#include "protocol/ModuleLink.h"
#include "protocol/ui/MemoBox.h"
#include "ui_TStateForm.h"

#include "common/ui/Dialogs.h"
#include "monitor/ui/SignalPlot.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

namespace vantrel {

namespace {
constexpr int kPollIntervalMs = 500;
constexpr qint64 kStaleAfterMs = 2000;
const QString kNoReply = QStringLiteral("A modul nem válaszol!");
} // namespace

TStateForm::TStateForm(ModuleLink& link, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TStateForm>()), link_(link), timerState_(new QTimer(this)) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    timerState_->setObjectName(QStringLiteral("TimerState"));
    timerState_->setInterval(kPollIntervalMs);
    connect(timerState_, &QTimer::timeout, this, &TStateForm::TimerStateTimer);
    connect(ui->btClearMsg, &QPushButton::clicked, this, &TStateForm::btClearMsgClick);
    connect(ui->btClose, &QPushButton::clicked, this, &TStateForm::btCloseClick);

    // Below the Part's controls: the stale warning, the history plot, its figures and its export.
    clock_ = [] { return QDateTime::currentMSecsSinceEpoch(); };
    const int top = height();
    lbNoReply_ = new QLabel(this);
    lbNoReply_->setObjectName(QStringLiteral("lbNoReply"));
    lbNoReply_->setGeometry(8, top, width() - 16, 18);
    QPalette red = lbNoReply_->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    lbNoReply_->setPalette(red);
    plot_ = new SignalPlot(history_, this);
    plot_->setObjectName(QStringLiteral("SignalPlot"));
    plot_->setGeometry(8, top + 20, width() - 16, 90);
    lbSignalSummary_ = new QLabel(this);
    lbSignalSummary_->setObjectName(QStringLiteral("lbSignalSummary"));
    lbSignalSummary_->setGeometry(8, top + 114, width() - 110, 22);
    auto* btSave = new QPushButton(QStringLiteral("Mentés..."), this);
    btSave->setObjectName(QStringLiteral("btSaveHistory"));
    btSave->setToolTip(QStringLiteral("A térerő-előzmények mentése CSV vagy PNG fájlba"));
    plot_->setAccessibleName(QStringLiteral("A GSM térerő az utolsó 10 percben"));
    btSave->setGeometry(width() - 98, top + 113, 90, 24);
    connect(btSave, &QPushButton::clicked, this, &TStateForm::btSaveHistoryClick);
    resize(width(), top + 142);
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

    // A reply: the values are live again, and the history gets its sample.
    lastReplyMs_ = clock_();
    setStale(false);
    history_.add(lastReplyMs_, status_);
    if (isVisible())
        refreshHistory();
}

void TStateForm::setClock(std::function<qint64()> clock) {
    clock_ = std::move(clock);
}

void TStateForm::setStale(bool stale) {
    if (stale == stale_)
        return;
    stale_ = stale;
    lbNoReply_->setText(stale ? kNoReply : QString());
    // Greyed values say they are old without hiding them.
    for (QLabel* l : {ui->lbIN1, ui->lbIN2, ui->lbIN3, ui->lbIN4, ui->lbLineVoltage, ui->lbGSMLine, ui->lbGSMpowVal})
        l->setEnabled(!stale);
    ui->pbTerero->setEnabled(!stale);
}

void TStateForm::refreshHistory() {
    const qint64 now = clock_();
    const SignalHistory::Summary sum = history_.summary(now);
    lbSignalSummary_->setText(sum.count == 0 ? QString()
                                             : QStringLiteral("Térerő (10 perc): min %1, átlag %2, max %3")
                                                   .arg(sum.minimum)
                                                   .arg(sum.mean, 0, 'f', 1)
                                                   .arg(sum.maximum));
    plot_->setNow(now);
    plot_->update();
}

void TStateForm::linkClosed() {
    pollingSinceMs_ = -1;
    setStale(false);
}

void TStateForm::btSaveHistoryClick() {
    const QString name = Dialogs::saveFileName(this, {QStringLiteral("CSV fájl (*.csv)|*.csv|PNG kép (*.png)|*.png"),
                                                      QStringLiteral("terero.csv"), QStringLiteral("csv")});
    if (name.isEmpty())
        return;
    // Both kinds go through the same careful save as parameter files: a file the user may not write is
    // left alone, and a failed save leaves nothing half-written.
    QByteArray content;
    bool ok = true;
    if (name.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        QBuffer buffer(&content);
        ok = buffer.open(QIODevice::WriteOnly) && plot_->grab().save(&buffer, "PNG");
    } else {
        content = history_.toCsv(clock_());
    }
    if (!ok || writeFileAtomically(name, content))
        Dialogs::error(this, QStringLiteral("A fájl nem menthető: %1").arg(name));
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
    // A closed or lost link is not polled: nothing to send, and no error to repeat every half second.
    if (!link_.linkConnected()) {
        pollingSinceMs_ = -1;
        setStale(false);
        return;
    }
    const qint64 now = clock_();
    if (pollingSinceMs_ < 0)
        pollingSinceMs_ = now;
    link_.SendLine(QByteArrayLiteral("??"));
    const qint64 since = std::max(pollingSinceMs_, lastReplyMs_);
    setStale(now - since >= kStaleAfterMs);
    refreshHistory();
}

void TStateForm::btClearMsgClick() {
    ui->MemoState->clear();
}

void TStateForm::btCloseClick() {
    close();
}

} // namespace vantrel
