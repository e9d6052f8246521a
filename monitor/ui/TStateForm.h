// The status monitor window: the module's inputs, wired line, call state, signal level and text messages,
// polled with "??" twice a second while the window is shown.
#pragma once

#include "monitor/StatusView.h"

#include <QDialog>
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

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void TimerStateTimer();
    void btClearMsgClick();
    void btCloseClick();
    static void setState(QLabel* label, const StateText& state);

    std::unique_ptr<Ui::TStateForm> ui;
    ModuleLink& link_;
    StatusRecord status_;
    QTimer* timerState_;
};

} // namespace vantrel
