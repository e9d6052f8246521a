// The main window: the installer picks the port, opens and closes the link to the module, and opens the
// status monitor and the transfer window (and, by a hidden key, the traffic detail window). It routes
// what the module sends to the windows that show it.
#pragma once

#include "protocol/Dispatch.h"
#include "protocol/MemoAssembler.h"
#include "transfer/GridTextFile.h"

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace Ui {
class TMainForm;
}

namespace vantrel {

class ModuleConnection;
class TFormDetails;
class TFormEventLog;
class TFormDownload;
class TStateForm;
class TSerialPort;
class TSorosDialog;

class TMainForm : public QMainWindow, public DispatchSink {
    Q_OBJECT
public:
    TMainForm(ModuleConnection& connection, TStateForm& stateForm, TFormDownload& formDownload,
              TFormDetails& formDetails, QWidget* parent = nullptr);
    ~TMainForm() override;

    TSerialPort& ComPort1();
    // The port chooser that "Soros port kiválasztása" runs.
    TSorosDialog& SorosDialog1() { return *sorosDialog1_; }

    // Where the port name is kept between runs, in the working directory.
    static constexpr const char* SetupFileName = "VantrelSetup.ini";

    // Run when the main window closes by any means; the start-up closes the root window with it.
    std::function<void()> onFormClose;

    // Closes the window as the system asks it to (a signal): a running transfer is stopped after the page
    // on its way, without a question, and the window closes when it has ended.
    void closeStoppingTransfer();

    // The connection state as the status line shows it.
    QString stateText() const;

    // Where module texts and status messages go.
    void AppendToMemo(MemoTarget box, const QByteArray& text, bool always) override;
    void StatusMessage(const std::array<std::uint8_t, 4>& status) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void ButtonSelectSerialClick();
    void btConnectClick();
    void btDisconnectClick();
    void btStatusClick();
    void btParameterSettingClick();
    void btCloseClick();
    bool FormKeyDown(QKeyEvent* event);
    void showLinkState(bool connected);
    // True when no transfer runs. Otherwise asks whether to stop it (unless the system asked to end) and,
    // if so, stops it and runs `again` once it has ended; false then, and the action waits for `again`.
    bool noTransferOrStopped(std::function<void()> again);
    void linkLost();
    void showState(const QString& state, const QString& reason = QString());
    void showReason(const QString& reason);
    void fitToContents();
    void showPortName();

public:
    // The ports where the module search found a module: a failed connect elsewhere suggests the search.
    void setAnsweredPorts(const QStringList& ports);

private:
    int fixedWidth_ = 0;
    QStringList answeredPorts_;
    TFormEventLog* logForm_ = nullptr; // made when first asked for; owned by the window
    std::array<std::uint8_t, 3> loggedStatus_{};
    bool haveLoggedStatus_ = false;
    CompletedLines messageLines_; // the status window's lines as they complete, for the event log

    std::unique_ptr<Ui::TMainForm> ui;
    ModuleConnection& connection_;
    TStateForm& stateForm_;
    TFormDownload& formDownload_;
    TFormDetails& formDetails_;
    TSorosDialog* sorosDialog1_;
    CellTable gridSave_{2, 1};
    bool leavingWithoutQuestion_ = false; // the store of VantrelSetup.ini: the port name in cell (0, 0)
};

} // namespace vantrel
