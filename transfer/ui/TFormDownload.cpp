#include "transfer/ui/TFormDownload.h"

#include "common/ui/Dialogs.h"
#include "params/ui/TSettingsForm.h"
#include "protocol/ModuleLink.h"
#include "transfer/ParameterFile.h"
#include "ui_TFormDownload.h"

#include <QPushButton>

namespace vantrel {

namespace {

constexpr int kBarMaximum = 12; // a position above it shows a full bar

FileDialogSpec parameterFileSpec() {
    return {QStringLiteral("Vantrel 3 GPRS Data|*.VT3"), QStringLiteral("*.VT3"), QStringLiteral("VT3")};
}

} // namespace

TFormDownload::TFormDownload(ModuleLink& link, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFormDownload>()), link_(link) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("FormDownload"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    transfer_ = std::make_unique<ParameterTransfer>(
        link_, ParameterImage,
        ParameterTransfer::Display{[this](int p) { setBarPosition(p); }, [this](Rgb c) { SetBarColour(c); }}, this);
    connect(ui->btRead, &QPushButton::clicked, this, &TFormDownload::btReadClick);
    connect(ui->btWrite, &QPushButton::clicked, this, &TFormDownload::btWriteClick);
    connect(ui->btCompare, &QPushButton::clicked, this, &TFormDownload::btCompareClick);
    connect(ui->btEdit, &QPushButton::clicked, this, &TFormDownload::btEditClick);
    connect(ui->btOpen, &QPushButton::clicked, this, &TFormDownload::btOpenClick);
    connect(ui->btSave, &QPushButton::clicked, this, &TFormDownload::btSaveClick);
    connect(ui->btStop, &QPushButton::clicked, this, &TFormDownload::btStopClick);
    connect(ui->btClose, &QPushButton::clicked, this, &TFormDownload::btCloseClick);
    SetBarColour(colour::Green);
    setFixedSize(sizeHint().expandedTo(QSize(276, 276)));
}

TFormDownload::~TFormDownload() = default;

void TFormDownload::SetBarColour(Rgb colour) {
    barColour_ = colour;
    ui->Progress->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: rgb(%1, %2, %3); }")
                                    .arg(colour.r)
                                    .arg(colour.g)
                                    .arg(colour.b));
}

void TFormDownload::setBarPosition(int position) {
    ui->Progress->setValue(std::clamp(position, 0, kBarMaximum));
}

void TFormDownload::LockButtons() {
    for (QPushButton* b : {ui->btOpen, ui->btSave, ui->btRead, ui->btWrite, ui->btCompare, ui->btEdit, ui->btClose})
        b->setEnabled(false);
}

void TFormDownload::UnlockButtons() {
    for (QPushButton* b : {ui->btOpen, ui->btSave, ui->btRead, ui->btWrite, ui->btCompare, ui->btEdit, ui->btClose})
        b->setEnabled(true);
}

void TFormDownload::runTransfer(void (ParameterTransfer::*operation)()) {
    if (!link_.linkConnected()) {
        Dialogs::message(this, QStringLiteral(" Nincs soros kapcsolat."));
        return;
    }
    LockButtons();
    try {
        (transfer_.get()->*operation)();
    } catch (...) {
        // The port failed under the transfer (closed meanwhile, device gone): the window must come back
        // usable before the general handler shows the driver's message.
        UnlockButtons();
        throw;
    }
    UnlockButtons();
}

void TFormDownload::btReadClick() {
    runTransfer(&ParameterTransfer::read);
}

void TFormDownload::btWriteClick() {
    runTransfer(&ParameterTransfer::write);
}

void TFormDownload::btCompareClick() {
    runTransfer(&ParameterTransfer::compare);
}

void TFormDownload::btStopClick() {
    transfer_->stop();
}

void TFormDownload::btEditClick() {
    if (!editor_)
        return;
    editor_->LoadFromImage();
    editor_->exec();
}

void TFormDownload::btOpenClick() {
    SetBarColour(colour::Green);
    setBarPosition(0);
    const QString fileName = Dialogs::openFileName(this, parameterFileSpec());
    if (fileName.isEmpty())
        return;
    ParameterImage = openParameterFile(fileName);
    setBarPosition(kBarMaximum);
}

void TFormDownload::btSaveClick() {
    const QString fileName = Dialogs::saveFileName(this, parameterFileSpec());
    if (fileName.isEmpty())
        return;
    saveParameterFile(fileName, ParameterImage);
}

void TFormDownload::btCloseClick() {
    // Hides only: a transfer that runs goes on to its end.
    hide();
}

} // namespace vantrel
