#include "app/TMainForm.h"

#include "app/Version.h"
#include "common/ui/Dialogs.h"
#include "monitor/EventLog.h"
#include "monitor/ui/TFormEventLog.h"
#include "monitor/ui/TStateForm.h"
#include "protocol/ModuleConnection.h"
#include "protocol/ui/MemoBox.h"
#include "protocol/ui/TFormDetails.h"
#include "serial/PortDiagnosis.h"
#include "serial/PortNames.h"
#include "serial/ports/PortEntry.h"
#include "serial/ui/TSorosDialog.h"
#include "transfer/ui/TFormDownload.h"
#include "ui_TMainForm.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <algorithm>

namespace vantrel {

namespace {
const QString kLinkOk = QStringLiteral(" Soros kapcsolat rendben.");
const QString kLinkFailed = QStringLiteral(" Hiba: A COM port nem elérhető!");
const QString kNoLink = QStringLiteral(" Nincs soros kapcsolat.");
const QString kTransferRunning = QStringLiteral("Adatátvitel folyamatban. Megszakítja?");
const QString kLinkLost = QStringLiteral(" Hiba: A soros kapcsolat megszakadt!");
constexpr int kLeastWidth = 232;
constexpr int kLeastHeight = 284;

// The decoded status bytes as one line of the event log.
QString statusLogText(const std::array<std::uint8_t, 4>& s) {
    return QStringLiteral("Állapotváltozás: bemenetek 0x%1, hívásállapot %2, tartalék 0x%3")
        .arg(s[0], 2, 16, QLatin1Char('0'))
        .arg(s[2])
        .arg(s[3], 2, 16, QLatin1Char('0'));
}
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
    connect(ui->btLog, &QPushButton::clicked, this, [this] {
        if (logForm_ == nullptr)
            logForm_ = new TFormEventLog(this);
        logForm_->reload();
        logForm_->show();
        logForm_->raise();
        logForm_->activateWindow();
    });
    connect(ui->btClose, &QPushButton::clicked, this, &TMainForm::btCloseClick);

    // The hidden key acts on the window itself and on these buttons, not on the port chooser button.
    installEventFilter(this);
    for (QWidget* w : {static_cast<QWidget*>(ui->btConnect), static_cast<QWidget*>(ui->btDisconnect),
                       static_cast<QWidget*>(ui->btStatus), static_cast<QWidget*>(ui->btParameterSetting),
                       static_cast<QWidget*>(ui->btClose)})
        w->installEventFilter(this);

    connection_.setSink(this);
    connection_.OnLinkLost = [this] { linkLost(); };
    // The status line is a label of its own, and the reason (why the port could not be opened, or that the
    // event log cannot be written) wraps under it: the window grows in height to show both whole, and its
    // buttons keep the width they need.
    fixedWidth_ = std::max(kLeastWidth, sizeHint().width());
    showState(QString());
    EventLog::setWarningHandler([this](const QString& warning) { showReason(warning); });
    // Dialogs centre themselves; a main window would open wherever the window system puts it.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    showLinkState(ComPort1().Connected());
    FormCreate();
}

TMainForm::~TMainForm() {
    FormDestroy();
    EventLog::setWarningHandler({});
    connection_.OnLinkLost = nullptr;
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
    // The port in use is shown from the start, not only after the chooser was opened.
    ui->Panel1->setText(ComPort1().Port());
    stateForm_.setPortName(ui->Panel1->text());
    fitToContents();
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
    // A greyed button says why it is grey.
    ui->btConnect->setToolTip(connected ? QStringLiteral("A kapcsolat már létrejött.")
                                        : QStringLiteral("A kiválasztott soros port megnyitása"));
    ui->btDisconnect->setToolTip(connected ? QStringLiteral("A soros port lezárása")
                                           : QStringLiteral("Nincs soros kapcsolat."));
    ui->btStatus->setToolTip(connected ? QStringLiteral("A modul állapotának figyelése")
                                       : QStringLiteral("A modul állapota csak soros kapcsolat mellett látható."));
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
    const bool chosen = sorosDialog1_->Execute();
    if (sorosDialog1_->searched())
        setAnsweredPorts(sorosDialog1_->answeredPorts());
    if (!chosen)
        return;
    ui->Panel1->setText(sorosDialog1_->PortHNev());
    stateForm_.setPortName(ui->Panel1->text());
    fitToContents();
    // While the link is open the port is switched at once. If the new port cannot be opened, the driver's
    // error reaches the general handler; the buttons and the status line stay, the link is closed.
    ComPort1().setPort(sorosDialog1_->PortNev());
}

void TMainForm::btConnectClick() {
    QString reason;
    try {
        ComPort1().setConnected(true);
    } catch (const ESerialPort& e) {
        // The status line says it all; no other message. The reason goes to the second field.
        reason = portOpenReason(e.SystemError() < 0 ? ioFailureError() : e.SystemError(),
                                devicePathForPort(ComPort1().Port()));
        if (!answeredPorts_.isEmpty() && !answeredPorts_.contains(ComPort1().Port()))
            reason += QStringLiteral(" Modul legutóbb itt válaszolt: %1 (\"Modul keresése\" a portválasztóban).")
                          .arg(answeredPorts_.join(QStringLiteral(", ")));
    }
    const bool connected = ComPort1().Connected();
    showPortName();
    showState(connected ? kLinkOk : kLinkFailed, reason);
    showLinkState(connected);
    // The next step, never "Kilépés": a Space or Enter right after connecting must not end the program.
    (connected ? ui->btParameterSetting : ui->btConnect)->setFocus();
    if (connected)
        EventLog::append(QStringLiteral("Kapcsolódás: %1").arg(ComPort1().Port()));
    else
        EventLog::append(QStringLiteral("Sikertelen kapcsolódás: %1: %2").arg(ComPort1().Port(), reason));
}

void TMainForm::btDisconnectClick() {
    if (!noTransferOrStopped([this] { btDisconnectClick(); }))
        return;
    showState(kNoLink);
    const bool was = ComPort1().Connected();
    ComPort1().setConnected(false);
    showLinkState(false);
    ui->btConnect->setFocus();
    stateForm_.linkClosed();
    if (was)
        EventLog::append(QStringLiteral("Bontás: %1").arg(ComPort1().Port()));
}

void TMainForm::linkLost() {
    // The connection has closed the port already. No message box: the status line tells it, and a
    // running transfer reports the loss in its own window.
    showState(kLinkLost);
    showLinkState(false);
    stateForm_.linkLost();
    EventLog::append(QStringLiteral("A soros kapcsolat megszakadt: %1%2")
                         .arg(ComPort1().Port(),
                              formDownload_.transferRunning() ? QStringLiteral(" (adatátvitel közben)") : QString()));
}

void TMainForm::showState(const QString& state, const QString& reason) {
    ui->StatusBar1->setText(state);
    showReason(reason);
}

void TMainForm::showReason(const QString& reason) {
    ui->ReasonPanel->setText(reason);
    ui->ReasonPanel->setVisible(!reason.isEmpty());
    fitToContents();
}

void TMainForm::fitToContents() {
    // Wrapped texts take as many lines as they need at the window's width, and the window grows in height
    // to hold them; it grows in width only for what cannot wrap (a long device name without blanks).
    // The groups' own layouts first: until they have taken a changed text in, the window's layout would
    // size them by what they held before.
    for (QWidget* group : centralWidget()->findChildren<QWidget*>())
        if (group->layout() != nullptr) {
            group->layout()->activate();
            group->updateGeometry();
        }
    centralWidget()->layout()->invalidate();
    centralWidget()->layout()->activate();
    const int width = std::max(fixedWidth_, centralWidget()->minimumSizeHint().width());
    const int height = centralWidget()->heightForWidth(width);
    setFixedSize(width, std::max(kLeastHeight, height));
}

QString TMainForm::stateText() const {
    return ui->StatusBar1->text();
}

void TMainForm::showPortName() {
    // The device behind a port name can change while the tool runs (an adapter moved to another socket,
    // the simulator started again): the panel names the device the port leads to now.
    const QString now = sorosDialog1_->displayNameNow(ComPort1().Port());
    if (!now.isEmpty())
        ui->Panel1->setText(now);
    else if (ports::PortNumberOf(ui->Panel1->text()) != ports::PortNumberOf(ComPort1().Port()))
        ui->Panel1->setText(ComPort1().Port());
    stateForm_.setPortName(ui->Panel1->text());
    fitToContents();
}

void TMainForm::setAnsweredPorts(const QStringList& ports) {
    answeredPorts_ = ports;
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

void TMainForm::showEvent(QShowEvent* event) {
    // Only a shown window has its fonts and style settled: measure again.
    fitToContents();
    QMainWindow::showEvent(event);
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
    // The status window's box gets every text whatever is shown; each line it completes is logged once.
    if (box == MemoTarget::MemoState) {
        appendPiece(messageLines_, text);
        for (const QString& line : messageLines_.takeCompleted())
            EventLog::appendModuleMessage(line);
    }
}

void TMainForm::StatusMessage(const std::array<std::uint8_t, 4>& status) {
    StatusRecord& record = stateForm_.status();
    record.InputFlags = status[0];
    record.SignalLevel = status[1];
    record.CallState = status[2];
    record.StatusSpare = status[3];
    stateForm_.ShowStatus();
    // Changes only: the poll brings the same status twice a second. The signal level is left out, it
    // wavers all the time and has its own history.
    const std::array<std::uint8_t, 3> changes{status[0], status[2], status[3]};
    if (!haveLoggedStatus_ || changes != loggedStatus_) {
        haveLoggedStatus_ = true;
        loggedStatus_ = changes;
        EventLog::append(statusLogText(status));
    }
}

} // namespace vantrel
