// The splash window. Created first, it is the program's root window: the program ends when it closes.
// It is visible only for the moment before the main window replaces it.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class QTimer;

namespace Ui {
class TWelcomeForm;
}

namespace vantrel {

class TWelcomeForm : public QDialog {
    Q_OBJECT
public:
    explicit TWelcomeForm(QWidget* parent = nullptr);
    ~TWelcomeForm() override;

    // Run when the window is first shown (FormShow), and on the one tick of its timer 20 ms later.
    std::function<void()> onFirstShow;
    std::function<void()> onTimer;

    QTimer* Timer1() const { return timer1_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void Timer1Timer();

    std::unique_ptr<Ui::TWelcomeForm> ui;
    QTimer* timer1_;
    bool shownOnce_ = false;
};

} // namespace vantrel
