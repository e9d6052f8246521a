#include "monitor/ui/TStateForm.h"

#include "common/FileIO.h"

#include "protocol/ModuleLink.h"
#include "protocol/ui/MemoBox.h"
#include "ui_TStateForm.h"

#include "common/StateColour.h"
#include "common/ui/Announce.h"
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
const QString kLinkLost = QStringLiteral("A soros kapcsolat megszakadt!");
const QString kNoLink = QStringLiteral("Nincs soros kapcsolat.");

void setTextColour(QWidget* w, Rgb colour) {
    QPalette palette = w->palette();
    palette.setColor(QPalette::WindowText, QColor(colour.r, colour.g, colour.b));
    w->setPalette(palette);
}
} // namespace

TStateForm::TStateForm(ModuleLink& link, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TStateForm>()), link_(link), timerState_(new QTimer(this)) {
    ui->setupUi(this);
    // Resizable: the plot takes what room the installer gives the window.
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    timerState_->setObjectName(QStringLiteral("TimerState"));
    timerState_->setInterval(kPollIntervalMs);
    connect(timerState_, &QTimer::timeout, this, &TStateForm::TimerStateTimer);
    connect(ui->btClearMsg, &QPushButton::clicked, this, &TStateForm::btClearMsgClick);
    connect(ui->btClose, &QPushButton::clicked, this, &TStateForm::btCloseClick);
    connect(ui->btSaveHistory, &QPushButton::clicked, this, &TStateForm::btSaveHistoryClick);

    clock_ = [] { return QDateTime::currentMSecsSinceEpoch(); };
    ui->SignalPlot->setHistory(&history_);
    setTextColour(ui->lbNoReply, colour::Warning);
    ui->lbNoReply->hide();
    resize(sizeHint().expandedTo(QSize(360, 0)));
}

TStateForm::~TStateForm() = default;

MemoBox* TStateForm::MemoState() const {
    return ui->MemoState;
}

void TStateForm::setState(QLabel* label, const StateText& state) {
    label->setText(state.text);
    setTextColour(label, stale_ ? colour::Greyed : state.colour);
    label->setEnabled(!stale_);
}

void TStateForm::render() {
    const StatusView view = statusView(status_);
    QLabel* inputs[] = {ui->lbIN1, ui->lbIN2, ui->lbIN3, ui->lbIN4};
    for (int n = 0; n < 4; ++n)
        setState(inputs[n], view.inputs[n]);
    setState(ui->lbLineVoltage, view.line);
    setState(ui->lbGSMLine, view.call);
    setState(ui->lbGSMpowVal, {view.signalText, colour::Black});
    ui->pbTerero->setValue(view.signalBar);
    ui->pbTerero->setEnabled(!stale_);
    setTextColour(ui->lbSignalSummary, stale_ ? colour::Greyed : colour::Black);
    ui->lbSignalSummary->setEnabled(!stale_);
    ui->SignalPlot->setLive(!stale_);
}

void TStateForm::ShowStatus() {
    // A reply: the values are live again, and the history gets its sample.
    lastReplyMs_ = clock_();
    haveValues_ = true;
    setStale(QString());
    render();
    history_.add(lastReplyMs_, status_);
    if (isVisible())
        refreshHistory();
}

void TStateForm::setClock(std::function<qint64()> clock) {
    clock_ = std::move(clock);
}

void TStateForm::setStale(const QString& reason) {
    // The reason is said in words; the values stay, greyed, so that the last state is still known.
    // Told to a screen reader once, when it comes or changes.
    if (reason.isEmpty())
        ui->lbNoReply->clear();
    else if (reason != ui->lbNoReply->text())
        announceText(ui->lbNoReply, reason);
    ui->lbNoReply->setVisible(!reason.isEmpty());
    const bool stale = !reason.isEmpty();
    if (stale == stale_)
        return;
    stale_ = stale;
    if (haveValues_)
        render();
}

void TStateForm::refreshHistory() {
    const qint64 now = clock_();
    const SignalHistory::Summary sum = history_.summary(now);
    ui->lbSignalSummary->setText(sum.count == 0 ? QString()
                                                : QStringLiteral("Térerő (10 perc): min %1, átlag %2, max %3")
                                                      .arg(sum.minimum)
                                                      .arg(sum.mean, 0, 'f', 1)
                                                      .arg(sum.maximum));
    ui->SignalPlot->setNow(now);
    ui->SignalPlot->update();
}

void TStateForm::linkClosed() {
    pollingSinceMs_ = -1;
    setStale(kNoLink);
}

void TStateForm::linkLost() {
    pollingSinceMs_ = -1;
    setStale(kLinkLost);
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
        refreshHistory();
        ok = buffer.open(QIODevice::WriteOnly) &&
             ui->SignalPlot->picture(portName_, ui->lbSignalSummary->text()).save(&buffer, "PNG");
    } else {
        content = history_.toCsv(clock_(), CsvStyle::Spreadsheet);
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
        // A lost link keeps saying so; values never received need no reason.
        if (!stale_ && haveValues_)
            setStale(kNoLink);
        return;
    }
    const qint64 now = clock_();
    if (pollingSinceMs_ < 0)
        pollingSinceMs_ = now;
    link_.SendLine(QByteArrayLiteral("??"));
    // Only fresh values end a stale state: a link that came back says nothing of the old values.
    const qint64 since = std::max(pollingSinceMs_, lastReplyMs_);
    if (now - since >= kStaleAfterMs)
        setStale(kNoReply);
    refreshHistory();
}

void TStateForm::btClearMsgClick() {
    ui->MemoState->clear();
}

void TStateForm::btCloseClick() {
    close();
}

} // namespace vantrel
