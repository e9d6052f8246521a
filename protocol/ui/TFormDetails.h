// The serial traffic detail window: a service window, reached by a hidden key of the main window, that
// shows the module's four text channels side by side.
#pragma once

#include <QDialog>

namespace Ui {
class TFormDetails;
}

namespace vantrel {

class MemoBox;

class TFormDetails : public QDialog {
    Q_OBJECT
public:
    explicit TFormDetails(QWidget* parent = nullptr);
    ~TFormDetails() override;

    MemoBox* Memo2() const;
    MemoBox* Memo3() const;
    MemoBox* Memo4() const;
    MemoBox* Memo5() const;
    MemoBox* MemoDTMF() const;

private:
    void btClearClick();
    void CloseClick();

    std::unique_ptr<Ui::TFormDetails> ui;
};

} // namespace vantrel
