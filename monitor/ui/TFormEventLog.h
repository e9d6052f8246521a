// The window "Napló": the event log of this run and of earlier ones, newest first, with the entries of
// earlier runs greyed and marked "korábbi", and "Mentés..." to keep a copy (for a customer's report, for example).
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TFormEventLog;
}

namespace vantrel {

class TFormEventLog : public QDialog {
    Q_OBJECT
public:
    explicit TFormEventLog(QWidget* parent = nullptr);
    ~TFormEventLog() override;

    // Reads the log files again and fills the list.
    void reload();
    // The list as saved: one line a row, "time  text", newest first.
    QString listText() const;

private:
    void btSaveLogClick();

    std::unique_ptr<Ui::TFormEventLog> ui;
};

} // namespace vantrel
