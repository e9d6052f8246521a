// `ports`: the machine's serial ports as the port chooser lists them, with the device behind each name.
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "protocol/ModuleProbe.h"
#include "serial/PortDiagnosis.h"
#include "serial/PortNames.h"
#include "serial/ports/PortEntry.h"
#include "serial/ports/PortEnumerator.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>

namespace vantrel::cli {

namespace {

struct PortRow {
    QString name;   // COMn
    QString device; // what COMn opens (a link is followed to its device)
    bool present = false;
    QString description;
    QList<PortHolder> holders; // other programs that have the device open
    std::optional<ProbeResult::Outcome> probe;
};

QString holderText(const QList<PortHolder>& holders) {
    QStringList names;
    for (const PortHolder& holder : holders)
        names << QStringLiteral("%1 (PID %2)").arg(holder.name).arg(holder.pid);
    return names.join(QStringLiteral(", "));
}

QString probeWord(ProbeResult::Outcome outcome) {
    switch (outcome) {
    case ProbeResult::Outcome::Answered:
        return QStringLiteral("answered");
    case ProbeResult::Outcome::NoAnswer:
        return QStringLiteral("no-answer");
    case ProbeResult::Outcome::Busy:
        return QStringLiteral("busy");
    case ProbeResult::Outcome::OpenFailed:
        return QStringLiteral("open-failed");
    }
    return {};
}

QString probeText(ProbeResult::Outcome outcome) {
    switch (outcome) {
    case ProbeResult::Outcome::Answered:
        return say("modul válaszol", "module answers");
    case ProbeResult::Outcome::NoAnswer:
        return say("nem válaszol", "no answer");
    case ProbeResult::Outcome::Busy:
        return say("foglalt, kihagyva", "busy, skipped");
    case ProbeResult::Outcome::OpenFailed:
        return say("nem nyitható", "cannot be opened");
    }
    return {};
}

QList<PortRow> listPorts() {
    QStringList lines;
    ports::PortEnumerator::shared().ListSerialPorts(lines);
    QList<PortRow> rows;
    for (const QString& line : lines) {
        const int number = ports::PortNumberOf(line);
        if (number < 1 || number > HighestPortNumber)
            continue;
        PortRow row;
        row.name = QStringLiteral("COM%1").arg(number);
        row.present = line.startsWith('+');
        row.description = ports::EntryName(line);
        const QString device = devicePathForPort(row.name);
        const QFileInfo info(device);
        row.device = info.isSymLink() ? info.symLinkTarget() : device;
        if (row.present)
            row.holders = portHolders(row.device);
        rows << row;
    }
    return rows;
}

} // namespace

int runPorts(const Invocation& inv) {
    QList<PortRow> rows = listPorts();
    if (inv.probe) {
        // Only present ports are asked, all at once; the probe itself skips the ones another program holds.
        QStringList names;
        for (const PortRow& row : rows)
            if (row.present)
                names << row.name;
        const QList<ProbeResult> results = probePorts(names);
        for (const ProbeResult& result : results)
            for (PortRow& row : rows)
                if (row.name == result.port)
                    row.probe = result.outcome;
    }
    if (inv.json) {
        QJsonArray array;
        for (const PortRow& row : rows) {
            QJsonArray holders;
            for (const PortHolder& holder : row.holders)
                holders.append(QJsonObject{{"pid", qint64(holder.pid)}, {"program", holder.name}});
            QJsonObject object{{"name", row.name},
                               {"device", row.device},
                               {"present", row.present},
                               {"description", row.description},
                               {"heldBy", holders}};
            if (inv.probe)
                object.insert("probe", row.probe ? QJsonValue(probeWord(*row.probe)) : QJsonValue());
            array.append(object);
        }
        printResult(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
        return Done;
    }
    for (const PortRow& row : rows) {
        QStringList cells{row.name, row.device, row.present ? say("van", "present") : say("nincs", "absent"),
                          row.description};
        cells << (row.holders.isEmpty() ? QStringLiteral("-") : say("foglalja: ", "held by ") + holderText(row.holders));
        if (inv.probe)
            cells << (row.probe ? probeText(*row.probe) : QStringLiteral("-"));
        // The listing is what the command is for: -q does not silence it.
        printResult(cells.join(QLatin1Char('\t')) + QLatin1Char('\n'));
    }
    return Done;
}

} // namespace vantrel::cli
