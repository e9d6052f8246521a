#include "app/TMainForm.h"

#include "app/Version.h"
#include "common/ui/Dialogs.h"
#include "monitor/ui/TStateForm.h"
#include "protocol/ModuleConnection.h"
#include "protocol/ui/MemoBox.h"
#include "protocol/ui/TFormDetails.h"
#include "serial/ui/TSorosDialog.h"
#include "transfer/ui/TFormDownload.h"
#include "ui_TMainForm.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QKeyEvent>

namespace vantrel {

namespace {
const QString kLinkOk = QStringLiteral(" Soros kapcsolat rendben.");
const QString kLinkFailed = QStringLiteral(" Hiba: A COM port nem elérhető!");
const QString kNoLink = QStringLiteral(" Nincs soros kapcsolat.");
const QString kTransferRunning = QStringLiteral("Adatátvitel folyamatban. Megszakítja?");
} // namespace

TMainForm::TMainForm(ModuleConnection& connection, TStateForm& stateForm, TFormDownload& formDownload,
                     TFormDetails& formDetails, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TMainForm>()), connection_(connection), stateForm_(stateForm),
      formDownload_(formDownload), formDetails_(formDetails), sorosDialog1_(new TSorosDialog(this)) {
    ui->setupUi(this);
    sorosDialog1_->setObjectName(QStringLiteral("SorosDialog1"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    connect(ui->ButtonSelectSerial, &QPushButton::clicked, this, &TMainForm::ButtonSelectSerialClick);
    connect(ui->btConnect, &QPushButton::clicked, this, &TMainForm::btConnectClick);
    connect(ui->btDisconnect, &QPushButton::clicked, this, &TMainForm::btDisconnectClick);
    connect(ui->btStatus, &QPushButton::clicked, this, &TMainForm::btStatusClick);
    connect(ui->btParameterSetting, &QPushButton::clicked, this, &TMainForm::btParameterSettingClick);
    connect(ui->btClose, &QPushButton::clicked, this, &TMainForm::btCloseClick);

    // The hidden key acts on the window itself and on these buttons, not on the port chooser button.
    installEventFilter(this);
    for (QWidget* w : {static_cast<QWidget*>(ui->btConnect), static_cast<QWidget*>(ui->btDisconnect),
                       static_cast<QWidget*>(ui->btStatus), static_cast<QWidget*>(ui->btParameterSetting),
                       static_cast<QWidget*>(ui->btClose)})
        w->installEventFilter(this);

    connection_.setSink(this);
    ui->StatusBar1->clearMessage();
    setFixedSize(sizeHint().expandedTo(QSize(232, 284)));
    // Dialogs centre themselves; a main window would open wherever the window system puts it.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormCreate();
}

TMainForm::~TMainForm() {
    FormDestroy();
    connection_.setSink(nullptr);
}

namespace {

// The hidden grid behind VantrelSetup.ini: two columns of width 20, one row.
CellTable setupTable() {
    CellTable table(2, 1);
    table.setColWidth(0, 20);
    table.setColWidth(1, 20);
    return table;
}

} // namespace

void TMainForm::FormCreate() {
    gridSave_ = setupTable();
    try {
        LoadCellsFromFile(gridSave_, QString::fromLatin1(SetupFileName));
        ComPort1().setPort(gridSave_.cell(0, 0));
    } catch (...) {
        // No file, an unreadable or a malformed one: the port stays COM1, and the next save writes a
        // clean table.
        gridSave_ = setupTable();
    }
}

void TMainForm::FormDestroy() {
    gridSave_.setCell(0, 0, ComPort1().Port());
    try {
        SaveCellsToFile(gridSave_, QString::fromLatin1(SetupFileName));
    } catch (...) {
        // The program is ending and there is nobody to tell; the file keeps its previous content.
    }
}

TSerialPort& TMainForm::ComPort1() {
    return connection_.ComPort1();
}

void TMainForm::showLinkState(bool connected) {
    ui->btConnect->setEnabled(!connected);
    ui->btDisconnect->setEnabled(connected);
    ui->btStatus->setEnabled(connected);
    // Opening, editing and saving parameter files needs no module; the transfers check the link.
    ui->btParameterSetting->setEnabled(true);
}

bool TMainForm::noTransferOrStopped(std::function<void()> again) {
    if (!formDownload_.transferRunning())
        return true;
    // Cutting a write off mid-page would leave the module half programmed: the transfer ends at a page
    // boundary first, and says so in its window.
    if (leavingWithoutQuestion_ || Dialogs::question(this, kTransferRunning))
        formDownload_.stopTransferThen(std::move(again));
    return false;
}

void TMainForm::closeStoppingTransfer() {
    leavingWithoutQuestion_ = true;
    close();
}

void TMainForm::ButtonSelectSerialClick() {
    if (!noTransferOrStopped([this] { ButtonSelectSerialClick(); }))
        return;
    sorosDialog1_->setDefaultPort(ui->Panel1->text());
    if (!sorosDialog1_->Execute())
        return;
    ui->Panel1->setText(sorosDialog1_->PortHNev());
    // While the link is open the port is switched at once. If the new port cannot be opened, the driver's
    // error reaches the general handler; the buttons and the status line stay, the link is closed.
    ComPort1().setPort(sorosDialog1_->PortNev());
}

void TMainForm::btConnectClick() {
    try {
        ComPort1().setConnected(true);
    } catch (const ESerialPort&) {
        // The status line says it all; no other message.
    }
    const bool connected = ComPort1().Connected();
    ui->StatusBar1->showMessage(connected ? kLinkOk : kLinkFailed);
    showLinkState(connected);
    // The next step, never "Kilépés": a Space or Enter right after connecting must not end the program.
    (connected ? ui->btParameterSetting : ui->btConnect)->setFocus();
}

void TMainForm::btDisconnectClick() {
    if (!noTransferOrStopped([this] { btDisconnectClick(); }))
        return;
    ui->StatusBar1->showMessage(kNoLink);
    ComPort1().setConnected(false);
    showLinkState(false);
    ui->btConnect->setFocus();
}

void TMainForm::btStatusClick() {
    stateForm_.show();
    stateForm_.raise();
    stateForm_.activateWindow();
}

void TMainForm::btParameterSettingClick() {
    formDownload_.show();
    formDownload_.raise();
    formDownload_.activateWindow();
}

void TMainForm::btCloseClick() {
    close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!noTransferOrStopped([this] { close(); })) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && onFormClose)
        onFormClose();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    // Qt passes a key that a control ignores on to its parents, up to this window: at the window itself
    // only a key counts that no control of the window had the focus for.
    const bool forUs = watched != this || focusWidget() == nullptr || focusWidget() == this;
    if (event->type() == QEvent::KeyPress && forUs && FormKeyDown(static_cast<QKeyEvent*>(event)))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::FormKeyDown(QKeyEvent* event) {
    const Qt::KeyboardModifiers held = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (held != (Qt::ControlModifier | Qt::AltModifier))
        return false;
    const bool keyD = event->key() == Qt::Key_D;
    const bool keypad4 = event->key() == Qt::Key_4 && (event->modifiers() & Qt::KeypadModifier);
    if (!keyD && !keypad4)
        return false;
    formDetails_.show();
    formDetails_.raise();
    return true;
}

void TMainForm::AppendToMemo(MemoTarget box, const QByteArray& text, bool always) {
    if (!always && !formDetails_.isVisible())
        return;
    MemoBox* target = nullptr;
    switch (box) {
    case MemoTarget::Memo3:
        target = formDetails_.Memo3();
        break;
    case MemoTarget::Memo4:
        target = formDetails_.Memo4();
        break;
    case MemoTarget::Memo5:
        target = formDetails_.Memo5();
        break;
    case MemoTarget::MemoDTMF:
        target = formDetails_.MemoDTMF();
        break;
    case MemoTarget::MemoState:
        target = stateForm_.MemoState();
        break;
    }
    appendPiece(*target, text);
}

void TMainForm::StatusMessage(const std::array<std::uint8_t, 4>& status) {
    StatusRecord& record = stateForm_.status();
    record.InputFlags = status[0];
    record.SignalLevel = status[1];
    record.CallState = status[2];
    record.StatusSpare = status[3];
    stateForm_.ShowStatus();
}

} // namespace vantrel
