// The COM port chooser as a component: set its texts and DefaultPort, call Execute(), read the chosen
// port from PortNev (port name), PortHNev (display name) and PortIndex (port number).
#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace vantrel::ports {
class PortEnumerator;
class PortKeySource;
} // namespace vantrel::ports

namespace vantrel {

class TSorosDialog : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString DefaultPort READ DefaultPort WRITE setDefaultPort)
    Q_PROPERTY(QString PortNev READ PortNev WRITE setPortNev)
    Q_PROPERTY(QString PortHNev READ PortHNev WRITE setPortHNev)
    Q_PROPERTY(int PortIndex READ PortIndex WRITE setPortIndex)
    Q_PROPERTY(QString DialogusCimke READ DialogusCimke WRITE setDialogusCimke)
    Q_PROPERTY(QString DialogusSzoveg READ DialogusSzoveg WRITE setDialogusSzoveg)
    Q_PROPERTY(QString HozzaadCimke READ HozzaadCimke WRITE setHozzaadCimke)
    Q_PROPERTY(QString HozzaadSzoveg READ HozzaadSzoveg WRITE setHozzaadSzoveg)

public:
    // The window is shown over parent when that is a widget, else over the active window.
    explicit TSorosDialog(QObject* parent = nullptr);
    ~TSorosDialog() override;

    // Runs the chooser modally; true when a port was chosen with OK, and only then are PortNev, PortHNev
    // and PortIndex replaced.
    bool Execute();

    // The ports come from the program's shared enumerator (the machine's ports) unless a source is given
    // here; nullptr goes back to the shared one.
    void setKeySource(std::shared_ptr<ports::PortKeySource> source);

    QString DefaultPort() const { return DefaultPort_; }
    void setDefaultPort(const QString& value) { DefaultPort_ = value; }
    QString PortNev() const { return PortNev_; }
    void setPortNev(const QString& value) { PortNev_ = value; }
    QString PortHNev() const { return PortHNev_; }
    void setPortHNev(const QString& value) { PortHNev_ = value; }
    int PortIndex() const { return PortIndex_; }
    // Whether the window's module search ran during the last Execute, and the ports that answered it
    // (kept even when the window was cancelled: the search's finding stays true).
    bool searched() const { return searched_; }
    QStringList answeredPorts() const { return answeredPorts_; }
    void setPortIndex(int value) { PortIndex_ = value; }
    QString DialogusCimke() const { return DialogusCimke_; }
    void setDialogusCimke(const QString& value) { DialogusCimke_ = value; }
    QString DialogusSzoveg() const { return DialogusSzoveg_; }
    void setDialogusSzoveg(const QString& value) { DialogusSzoveg_ = value; }
    QString HozzaadCimke() const { return HozzaadCimke_; }
    void setHozzaadCimke(const QString& value) { HozzaadCimke_ = value; }
    QString HozzaadSzoveg() const { return HozzaadSzoveg_; }
    void setHozzaadSzoveg(const QString& value) { HozzaadSzoveg_ = value; }

    // The display name the chooser would show now for a port name ("COM4"), from a fresh walk of the
    // ports; empty when no listed port has that number.
    QString displayNameNow(const QString& portName);

    // The prompt of the add-port box when HozzaadSzoveg is empty.
    static QString defaultPrompt();

private:
    ports::PortEnumerator& enumerator();

    std::unique_ptr<ports::PortEnumerator> ownEnumerator_;
    QString DefaultPort_;
    QString PortNev_;
    QString PortHNev_;
    int PortIndex_ = 0;
    bool searched_ = false;
    QStringList answeredPorts_;
    QString DialogusCimke_;
    QString DialogusSzoveg_;
    QString HozzaadCimke_;
    QString HozzaadSzoveg_;
};

} // namespace vantrel
