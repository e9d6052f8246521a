// The status monitor window: the module's inputs, wired line, call state, signal level and text messages,
// polled with "??" twice a second while the window is shown.
#pragma once

#include "monitor/SignalHistory.h"
#include "monitor/StatusView.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QTimer;

namespace Ui {
class TStateForm;
}

namespace vantrel {

class MemoBox;
class ModuleLink;

class TStateForm : public QDialog {
    Q_OBJECT
public:
    explicit TStateForm(ModuleLink& link, QWidget* parent = nullptr);
    ~TStateForm() override;

    // The last status received; the dispatch fills it, then calls ShowStatus (also while hidden).
    StatusRecord& status() { return status_; }
    void ShowStatus();

    // The module's text messages collect here, also while the window is hidden.
    MemoBox* MemoState() const;
    QTimer* TimerState() const { return timerState_; }

    // The link was closed, or lost: the last values stay greyed and the window says why, until fresh
    // values come; polling waits for the next connect.
    void linkClosed();
    void linkLost();
    // The port the values come from, as the main window names it (for the saved picture).
    void setPortName(const QString& name) { portName_ = name; }
    bool isStale() const { return stale_; }
    const SignalHistory& history() const { return history_; }
    // The clock of the stale check and the history (ms since the epoch); tests and benches drive it.
    void setClock(std::function<qint64()> clock);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void TimerStateTimer();
    void btClearMsgClick();
    void btCloseClick();
    void setState(QLabel* label, const StateText& state);
    void render();
    void setStale(const QString& reason);
    void refreshHistory();
    void btSaveHistoryClick();

    std::unique_ptr<Ui::TStateForm> ui;
    ModuleLink& link_;
    StatusRecord status_;
    QTimer* timerState_;
    SignalHistory history_;
    std::function<qint64()> clock_;
    qint64 lastReplyMs_ = -1;
    qint64 pollingSinceMs_ = -1;
    bool stale_ = false;
    bool haveValues_ = false;
    QString portName_;
};

} // namespace vantrel
