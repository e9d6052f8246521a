// The parameter sheet as JSON and CSV, JSON import onto a base image, and NAME=VALUE assignments; import and
// assignments share one parser and one set of rules per field kind.
//
// The JSON ("vantrel5-parameters", version 1) names each field by its code name with its decoded value;
// "raw" holds the bytes (hex) of each field whose value would not encode back to the identical bytes, and
// "spare" every run of spare bytes, so that importing an export gives back all 1088 bytes.
#pragma once

#include "common/Errors.h"
#include "params/FieldCodecs.h"
#include "report/Csv.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <optional>

namespace vantrel {

// The languages of the messages are the tool's own.
using MessageLanguage = TextLanguage;

// Why an import or assignment was refused: the field (or JSON key) and the rule it broke.
struct ParameterError {
    QString field; // code name, "raw.NAME", "spare[i]", or empty for the document as a whole
    QString hungarian;
    QString english;
    QString message(MessageLanguage language) const {
        return language == MessageLanguage::English ? english : hungarian;
    }
};

inline constexpr const char* ParameterJsonFormat = "vantrel5-parameters";
inline constexpr int ParameterJsonVersion = 1;

// The value of a field as the JSON carries it: digits/texts/"a.b.c.d" as strings, timers, 16-bit numbers
// and the Bell 103 byte as integers, the other flags as booleans. Null for the zero pairs.
QJsonValue fieldJsonValue(const ImageBytes& image, const FieldSpec& spec);

QByteArray exportJson(const ImageBytes& image);
// One line per field: name, tab, label, offset, size, value as the editor shows it, then the bytes in hex;
// then one line per spare range.
QString exportCsv(const ImageBytes& image, CsvStyle style = CsvStyle::Plain);

// Whether a file's bytes are a JSON text (an export) rather than a raw parameter image: text whose first
// character after blanks (and a byte-order mark) is "{". A raw image is taken for one only if all of its
// bytes were printable text beginning so, which no module's parameter set is.
bool isJsonText(const QByteArray& bytes);

// Applies the JSON onto image; fields it omits keep image's bytes. On any refusal image is left as it was.
std::optional<ParameterError> importJson(const QByteArray& json, ImageBytes& image);

// NAME=VALUE, e.g. SMS1="Riasztás", CallMax=10, IPAddress1=10.0.0.5, GPRSmode=true; same rules as import.
std::optional<ParameterError> applyAssignment(const QString& assignment, ImageBytes& image);

// Writes one field's value, checked by the rules of its kind; image is unchanged on refusal.
std::optional<ParameterError> applyFieldValue(const FieldSpec& spec, const QJsonValue& value, ImageBytes& image);

} // namespace vantrel
