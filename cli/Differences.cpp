#include "cli/Differences.h"

#include "cli/CliText.h"
#include "cli/Console.h"
#include "report/ParameterJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantrel::cli {

namespace {

// A field's value as the parameter JSON carries it; hex where that value would hide the difference (a
// field whose bytes differ but decode alike, or one without a value) and for spare runs.
std::pair<QJsonValue, QJsonValue> values(const DiffRow& row, const ImageBytes& left, const ImageBytes& right) {
    if (row.field) {
        const QJsonValue l = fieldJsonValue(left, *row.field);
        const QJsonValue r = fieldJsonValue(right, *row.field);
        if (!l.isNull() && l != r)
            return {l, r};
    }
    const auto hex = [&](const ImageBytes& image) {
        return QJsonValue(toHex(ConstFieldBytes(image.data() + row.offset, row.size)));
    };
    return {hex(left), hex(right)};
}

} // namespace

int reportDifferences(const ImageBytes& left, const ImageBytes& right, std::size_t begin, std::size_t end, bool json) {
    const std::vector<DiffRow> rows = diffImages(left, right, begin, end);
    if (json) {
        QJsonArray differences;
        for (const DiffRow& row : rows) {
            const auto [l, r] = values(row, left, right);
            differences.append(QJsonObject{{"field", row.name},
                                           {"offset", qint64(row.offset)},
                                           {"size", qint64(row.size)},
                                           {"left", l},
                                           {"right", r}});
        }
        const QJsonObject object{{"equal", rows.empty()}, {"differences", differences}};
        printResult(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)));
    } else if (rows.empty()) {
        printResult(say("Nincs eltérés.\n", "No differences.\n"));
    } else {
        // The summary belongs to the list: -q keeps both.
        printResult(diffText(rows));
        printResult(say("%1 eltérő mező.\n", "%1 differing fields.\n").arg(rows.size()));
    }
    return rows.empty() ? Done : DifferencesFound;
}

} // namespace vantrel::cli
