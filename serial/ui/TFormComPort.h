// The COM port chooser window: the ports of the machine, present ones in black and absent ones in dark
// red, each also marked in words, refreshed every second while shown; a port can be added by number from the context
// menu.
#pragma once

#include <QDialog>
#include <QMap>
#include <QStringList>
#include <memory>

class QMenu;
class QPainter;
class QTimer;

namespace Ui {
class TFormComPort;
}

namespace vantrel::ports {
class PortEnumerator;
}

namespace vantrel {

class TFormComPort : public QDialog {
    Q_OBJECT
public:
    explicit TFormComPort(ports::PortEnumerator& enumerator, QWidget* parent = nullptr);
    ~TFormComPort() override;

    // What the dialog component hands in before showing the window.
    void setDefaultPort(const QString& name) { DefaultPort_ = name; }
    QString DefaultPort() const { return DefaultPort_; }
    void setHeading(const QString& text);
    void setAddCaption(const QString& text);
    void setPrompt(const QString& text) { prompt_ = text; }
    QString prompt() const { return prompt_; }

    // The choice, valid when the window closed with OK.
    QString PortNev() const { return PortNev_; }
    QString PortHNev() const { return PortHNev_; }
    int PortIndex() const { return PortIndex_; }

    const QStringList& UserPorts() const { return UserPorts_; }
    const QStringList& ListedPorts() const { return ListedPorts_; }
    // The line shown in a grid row; empty for the spare row of an empty list.
    QString lineAt(int row) const;
    // How often the window was activated (each activation rebuilds the port candidates).
    int activationCount() const { return activations_; }

    // Handlers, under the names the window's design gives them.
    void FormActivate();
    void Timer1Timer();
    void StringgridInit();
    void StringGrid1DrawCell(QPainter& painter, const QRect& rect, int row, int column, bool selected) const;
    void StringGrid1SelectCell(int row);
    void Kivalaszt(int row);
    void GridBeallit(const QString& name);
    void Button1Click();
    void jporthozzadsa1Click();
    void UpdatePanelHints();

    // The module search: probes every present port at once (held ports are skipped), marks each line
    // with what it found and selects the first port that answered. Returns the ports that answered.
    QStringList searchModules();
    // What the last search found, by port name ("COM5" -> "modul válaszol"); empty before a search.
    const QMap<QString, QString>& searchMarks() const { return marks_; }
    QStringList answeredPorts() const { return answered_; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void done(int result) override; // FormClose: every way of closing ends here

private:
    void FormCreate();
    void selectRow(int row);
    int visibleRowCount() const;
    QString markOf(const QString& line) const;      // " (modul válaszol)" after a search, else empty
    static QString presenceOf(const QString& line); // " (jelen van)" or " (nincs jelen)"

    std::unique_ptr<Ui::TFormComPort> ui;
    ports::PortEnumerator& enumerator_;
    QTimer* Timer1 = nullptr;
    QMenu* PopupMenu1 = nullptr;

    QString DefaultPort_;
    QString PortNev_;
    QString PortHNev_;
    int PortIndex_ = 0;
    QString prompt_;
    QStringList UserPorts_;
    QStringList ListedPorts_;

    QMap<QString, QString> marks_;
    QStringList answered_;
    int activations_ = 0;
    bool updatingGrid_ = false;    // row changes made by the window itself are not selections
    bool awayToOwnWindow_ = false; // lost activation to another window of the program (a modal box)
};

} // namespace vantrel
