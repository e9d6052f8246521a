// `diff`, `export`, `import` and `set`: parameter files without a module, through the report library's
// differences, JSON/CSV exchange and NAME=VALUE assignments.
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Differences.h"
#include "cli/Files.h"
#include "cli/Journal.h"
#include "params/ImageLayout.h"
#include "report/ParameterJson.h"
#include "transfer/FileOnlySettings.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace vantrel::cli {

namespace {

MessageLanguage messageLanguage() {
    return language() == Language::Hungarian ? MessageLanguage::Hungarian : MessageLanguage::English;
}

QString fieldNames() {
    QStringList names;
    for (const FieldSpec& field : ImageLayout)
        names << QString::fromLatin1(field.name.data(), qsizetype(field.name.size()));
    return names.join(QStringLiteral(", "));
}

// A refused import or assignment: the field and the rule, and for an unknown name every valid one.
[[noreturn]] void refused(const ParameterError& error) {
    QString text = error.message(messageLanguage());
    if (!error.field.isEmpty() && !findField(error.field.toStdString()) && !error.field.contains('.') &&
        !error.field.contains('['))
        text += say(" Érvényes nevek: ", " Valid names: ") + fieldNames();
    throw CliError(UsageError, text);
}

// After a set or an import: the fields it named that hold a value the module never receives.
void noteFileOnly(const QStringList& named, const ImageBytes& image) {
    const QStringList kept = settingsKeptOnlyInFile(image);
    QStringList names;
    for (const QString& name : kept)
        if (named.contains(name))
            names << name;
    if (!names.isEmpty() && !quiet())
        printError(keptOnlyInFileText(names, textLanguage(), names.size()));
}

// The field names a parameter JSON gives values or bytes for.
QStringList namedInJson(const QByteArray& json) {
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    return root.value(QStringLiteral("fields")).toObject().keys() + root.value(QStringLiteral("raw")).toObject().keys();
}

} // namespace

int runDiff(const Invocation& inv) {
    const ImageBytes a = loadParameterFile(inv.operands[0]);
    const ImageBytes b = loadParameterFile(inv.operands[1]);
    return reportDifferences(a, b, 0, ImageSize, inv.json);
}

int runExport(const Invocation& inv) {
    const ImageBytes image = loadParameterFile(inv.operands[0]);
    const QString text = inv.format == QLatin1String("csv") ? exportCsv(image) : QString::fromUtf8(exportJson(image));
    if (inv.output.isEmpty()) {
        printResult(text);
        return Done;
    }
    // Into a file through the careful writer: a failed export leaves an existing file as it was.
    storeTextFile(inv.output, text.toUtf8());
    logEvent(inv.output, QStringLiteral("Fájl mentve (export: %1)").arg(inv.operands[0]));
    return Done;
}

int runImport(const Invocation& inv) {
    const QByteArray json = loadTextFile(inv.operands[0]);
    ImageBytes image = inv.base.isEmpty() ? freshImage() : loadParameterFile(inv.base);
    if (const auto error = importJson(json, image))
        refused(*error);
    storeParameterFile(inv.output, image);
    logEvent(inv.output, QStringLiteral("Fájl mentve (import: %1)").arg(inv.operands[0]));
    noteFileOnly(namedInJson(json), image);
    return Done;
}

int runSet(const Invocation& inv) {
    const QString file = inv.operands[0];
    bool wasExport = false;
    ImageBytes image = loadParameterFile(file, &wasExport);
    // The result is a parameter file: written over an export it would replace the text with raw bytes.
    if (wasExport && inv.output.isEmpty())
        throw CliError(UsageError,
                       say("%1 JSON-export: a módosított paraméterkészlethez adjon meg -o FÁJL.VT3 kimenetet",
                           "%1 is a JSON export: give -o FILE.VT3 for the changed parameter set")
                           .arg(file));
    // Every assignment is checked before anything is written: a refused one leaves every file as it was.
    for (qsizetype i = 1; i < inv.operands.size(); ++i)
        if (const auto error = applyAssignment(inv.operands[i], image))
            refused(*error);
    const QString output = inv.output.isEmpty() ? file : inv.output;
    storeParameterFile(output, image);
    logEvent(output, QStringLiteral("Fájl mentve (set: %1)").arg(inv.operands.mid(1).join(QLatin1Char(' '))));
    QStringList named;
    for (const QString& assignment : inv.operands.mid(1))
        named << assignment.section(QLatin1Char('='), 0, 0).trimmed();
    noteFileOnly(named, image);
    return Done;
}

} // namespace vantrel::cli
