// The parameter editor window: every field of the parameter image in a control on one of seven tabs,
// filled from the image before each showing and written back only when the installer confirms.
//
// Controls are bound to image fields by name (acgUSER1 holds USER1, edSMS3 holds SMS3, udREL1 holds REL1,
// IPAddressControl2 holds IPAddress2); the codecs of the field kinds do the byte work. Spin boxes are
// QSpinBox objects named ud<field>, their edit is named ed<field> (edCentralID for udServerID). Each
// control's accessible name is its field's label in the image table.
//
// Confirming lists first what storing would change in what the window shows (a number beyond its range,
// a character the module has no code for, an event code short of four positions) and asks; Escape and the
// close box ask before dropping edits.
#pragma once

#include "params/FieldCodecs.h"
#include "params/ImageLayout.h"
#include "params/ParameterImage.h"

#include <QDialog>
#include <QPalette>
#include <memory>
#include <vector>

namespace Ui {
class TSettingsForm;
}
class QButtonGroup;
class QLineEdit;

namespace vantrel {

class TSettingsForm : public QDialog {
    Q_OBJECT
public:
    // The image belongs to the transfer window and outlives this window.
    explicit TSettingsForm(ImageBytes& image, QWidget* parent = nullptr);
    ~TSettingsForm() override;

    // Fills every control from the image; called before each showing.
    void LoadFromImage();
    // Writes every control into the image; spare bytes stay as they are.
    void StoreToImage();

    // What storing now would put into the image otherwise than the window shows it, one line per field of
    // the pages the installer has: "<label>: „<shown>” helyett „<stored>”" ("helyett üres" for nothing).
    QStringList storeCorrections() const;
    // True when the controls would store something else than they did right after LoadFromImage.
    bool hasUnsavedEdits() const;

    // Escape and the close box: with unsaved edits, asks first.
    void reject() override;

    // The custom entry's GPRS values: what the installer last left in the three edits. They live as long
    // as the window and are never saved.
    QString CustomAPN;
    QString CustomUserName;
    QString CustomPWD;

public slots:
    void btSettingOKClick();
    void btSettingCancelClick();
    void rgCallFilterClick();
    void cbGPRSmodeClick();
    void cbServiceProviderChange();
    void edAPNExit();
    void edUserNameExit();
    void edPWDExit();
    // Writes the provider list to APNs.dat in the working directory; throws EInOutError when it cannot.
    void btSaveSettingsClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Each showing starts on the first field of the tab it opens on.
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void bindControls();
    void loadProviderList();
    void loadField(std::size_t index);
    FieldValue controlValue(std::size_t index) const;
    QString shownText(std::size_t index) const;
    ImageBytes storedImage() const;
    bool onShownPage(const QWidget* control) const;
    void setAccessibleNames();
    void updateGprsControls();
    bool customProviderSelected() const;

    std::unique_ptr<Ui::TSettingsForm> ui_;
    ImageBytes& image_;
    std::vector<QWidget*> controls_;       // by ImageLayout index; nullptr for fields without a control
    std::vector<std::size_t> editorOrder_; // ImageLayout indexes in the order of EditorFieldOrder
    QButtonGroup* callFilter_ = nullptr;
    QButtonGroup* bellCallFilter_ = nullptr;
    QPalette customPalette_;
    ImageBytes loaded_{}; // what the controls stored right after they were filled
};

} // namespace vantrel
