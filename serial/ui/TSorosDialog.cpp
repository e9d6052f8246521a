// The COM port chooser component.
#include "serial/ui/TSorosDialog.h"

#include "serial/ports/PortChoice.h"
#include "serial/ports/PortEntry.h"
#include "serial/ports/PortEnumerator.h"
#include "serial/ui/TFormComPort.h"

#include <QApplication>
#include <QPointer>

namespace vantrel {

TSorosDialog::TSorosDialog(QObject* parent) : QObject(parent) {}

TSorosDialog::~TSorosDialog() = default;

QString TSorosDialog::defaultPrompt() {
    return QStringLiteral("Adja meg a kívánt soros port sorszámát!");
}

void TSorosDialog::setKeySource(std::shared_ptr<ports::PortKeySource> source) {
    if (source)
        ownEnumerator_ = std::make_unique<ports::PortEnumerator>(std::move(source));
    else
        ownEnumerator_.reset();
}

ports::PortEnumerator& TSorosDialog::enumerator() {
    return ownEnumerator_ ? *ownEnumerator_ : ports::PortEnumerator::shared();
}

QString TSorosDialog::displayNameNow(const QString& portName) {
    const int number = ports::PortNumberOf(portName);
    if (number <= 0)
        return QString();
    ports::PortEnumerator& ports = enumerator();
    ports.CollectPortCandidates();
    QStringList lines;
    ports.ListSerialPorts(lines);
    for (const QString& line : lines)
        if (ports::PortNumberOf(line) == number)
            return ports::DisplayNameOf(line);
    return QString();
}

bool TSorosDialog::Execute() {
    QWidget* owner = qobject_cast<QWidget*>(parent());
    if (owner == nullptr)
        owner = QApplication::activeWindow();
    // Held by a guarded pointer: should the owner go away while the window is open, it takes the window
    // with it and nothing here may touch it again.
    QPointer<TFormComPort> form = new TFormComPort(enumerator(), owner);
    form->setDefaultPort(DefaultPort_);
    if (!DialogusCimke_.isEmpty())
        form->setWindowTitle(DialogusCimke_);
    if (!DialogusSzoveg_.isEmpty())
        form->setHeading(DialogusSzoveg_);
    if (!HozzaadCimke_.isEmpty())
        form->setAddCaption(HozzaadCimke_);
    form->setPrompt(HozzaadSzoveg_.isEmpty() ? defaultPrompt() : HozzaadSzoveg_);

    const bool chosen = form->exec() == QDialog::Accepted && form;
    searched_ = form && !form->searchMarks().isEmpty();
    if (searched_)
        answeredPorts_ = form->answeredPorts();
    if (chosen) {
        PortNev_ = form->PortNev();
        PortHNev_ = form->PortHNev();
        PortIndex_ = form->PortIndex();
    }
    delete form.data();
    return chosen;
}

} // namespace vantrel
