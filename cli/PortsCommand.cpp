// `ports`: the machine's serial ports as the port chooser lists them, with the device behind each name.
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "serial/PortNames.h"
#include "serial/ports/PortEntry.h"
#include "serial/ports/PortEnumerator.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantrel::cli {

namespace {

struct PortRow {
    QString name;   // COMn
    QString device; // what COMn opens (a link is followed to its device)
    bool present = false;
    QString description;
};

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
        rows << row;
    }
    return rows;
}

} // namespace

int runPorts(const Invocation& inv) {
    const QList<PortRow> rows = listPorts();
    if (inv.json) {
        QJsonArray array;
        for (const PortRow& row : rows)
            array.append(QJsonObject{{"name", row.name},
                                     {"device", row.device},
                                     {"present", row.present},
                                     {"description", row.description}});
        printResult(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
        return Done;
    }
    for (const PortRow& row : rows)
        printOut(QStringLiteral("%1\t%2\t%3\t%4\n")
                     .arg(row.name, row.device, row.present ? say("van", "present") : say("nincs", "absent"),
                          row.description));
    return Done;
}

} // namespace vantrel::cli
