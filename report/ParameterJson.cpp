// JSON/CSV exchange of parameter images and the value rules behind import and NAME=VALUE assignments.
#include "report/ParameterJson.h"

#include "common/Cp1250.h"
#include "report/ImageDiff.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <algorithm>
#include <cctype>
#include <cmath>

namespace vantrel {

namespace {

QString nameOf(const FieldSpec& spec) {
    return QString::fromLatin1(spec.name.data(), static_cast<qsizetype>(spec.name.size()));
}

ParameterError refuse(const QString& field, const QString& hungarian, const QString& english) {
    const QString prefix = field.isEmpty() ? QString() : field + QStringLiteral(": ");
    return {field, prefix + hungarian, prefix + english};
}

bool isStringKind(FieldKind kind) {
    switch (kind) {
    case FieldKind::PhoneNumberField:
    case FieldKind::PrefixField:
    case FieldKind::EventCodeField:
    case FieldKind::SmsTextField:
    case FieldKind::CountedText:
    case FieldKind::IPv4Address:
        return true;
    default:
        return false;
    }
}

bool isBoolFlag(const FieldSpec& spec) {
    return spec.kind == FieldKind::FlagByte && spec.flagRule != FlagRule::BellBits;
}

int intMaximum(const FieldSpec& spec) {
    return spec.kind == FieldKind::FlagByte ? 3 : spec.maximum;
}

std::optional<QByteArray> fromHex(const QString& hex, std::size_t size) {
    if (static_cast<std::size_t>(hex.size()) != size * 2)
        return std::nullopt;
    for (QChar c : hex)
        if (!std::isxdigit(static_cast<unsigned char>(c.toLatin1())) || c.unicode() > 127)
            return std::nullopt;
    return QByteArray::fromHex(hex.toLatin1());
}

std::optional<Octets> parseIPv4(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    Octets octets{};
    for (int i = 0; i < 4; ++i) {
        const QString& part = parts[i];
        if (part.isEmpty() || part.size() > 3 || !std::all_of(part.begin(), part.end(), [](QChar c) {
                return c >= QLatin1Char('0') && c <= QLatin1Char('9');
            }))
            return std::nullopt;
        const int v = part.toInt();
        if (v > 255)
            return std::nullopt;
        octets[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
    }
    return octets;
}

} // namespace

QJsonValue fieldJsonValue(const ImageBytes& image, const FieldSpec& spec) {
    if (spec.kind == FieldKind::ZeroPair)
        return QJsonValue();
    if (isBoolFlag(spec))
        return QJsonValue(std::get<int>(decodeField(image, spec)) != 0);
    if (isStringKind(spec.kind))
        return QJsonValue(displayValue(image, spec));
    return QJsonValue(std::get<int>(decodeField(image, spec)));
}

std::optional<ParameterError> applyFieldValue(const FieldSpec& spec, const QJsonValue& value, ImageBytes& image) {
    const QString name = nameOf(spec);
    if (spec.kind == FieldKind::ZeroPair)
        return refuse(name, QStringLiteral("ennek a mezőnek nincs értéke, csak nyers bájtjai (raw)."),
                      QStringLiteral("this field has no value, only raw bytes (raw)."));
    if (isStringKind(spec.kind) && !value.isString())
        return refuse(name, QStringLiteral("szöveg értéket vár."), QStringLiteral("expects a string value."));
    if (isBoolFlag(spec) && !value.isBool())
        return refuse(name, QStringLiteral("true vagy false értéket vár."), QStringLiteral("expects true or false."));
    FieldValue decoded;
    const QString text = value.toString();
    const auto digitsOnly = [&](const QString& s) {
        return std::all_of(s.begin(), s.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    };
    switch (spec.kind) {
    case FieldKind::PhoneNumberField:
    case FieldKind::PrefixField: {
        // The module dials digits only: "+36..." is written 0036... or 06..., without blanks or dashes.
        if (!digitsOnly(text))
            return refuse(name,
                          QStringLiteral("csak számjegyek (0-9) lehetnek benne, legfeljebb %1; + jel, szóköz, "
                                         "kötőjel nem (+36... helyett 0036... vagy 06...).")
                              .arg(spec.capacity),
                          QStringLiteral("only the digits 0-9 are allowed, at most %1; no +, spaces or dashes "
                                         "(write 0036... or 06... for +36...).")
                              .arg(spec.capacity));
        if (text.size() > spec.capacity)
            return refuse(name, QStringLiteral("legfeljebb %1 számjegy lehet.").arg(spec.capacity),
                          QStringLiteral("at most %1 digits allowed.").arg(spec.capacity));
        QStringList cells;
        for (QChar c : text)
            cells << QString(c);
        decoded = cells;
        break;
    }
    case FieldKind::EventCodeField: {
        const bool valid =
            text.isEmpty() || (text.size() == 4 && std::all_of(text.begin(), text.end(), [](QChar c) {
                                   return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('*');
                               }));
        if (!valid)
            return refuse(name, QStringLiteral("az eseménykód négy jel (0-9 vagy *), vagy üres."),
                          QStringLiteral("an event code is four characters (0-9 or *), or empty."));
        QStringList cells;
        for (QChar c : text)
            cells << QString(c);
        decoded = cells;
        break;
    }
    case FieldKind::SmsTextField:
    case FieldKind::CountedText: {
        if (!hasCp1250Code(text))
            return refuse(name, QStringLiteral("olyan karaktert tartalmaz, amelyet a modul nem ismer."),
                          QStringLiteral("contains a character the module does not know."));
        if (text.size() > spec.capacity)
            return refuse(name, QStringLiteral("legfeljebb %1 karakter lehet.").arg(spec.capacity),
                          QStringLiteral("at most %1 characters allowed.").arg(spec.capacity));
        if (spec.kind == FieldKind::CountedText && (text.contains(QLatin1Char(' ')) || text.contains(QLatin1Char('"'))))
            return refuse(name, QStringLiteral("szóköz és idézőjel nem lehet benne."),
                          QStringLiteral("must not contain spaces or double quotes."));
        decoded = toCp1250(text);
        break;
    }
    case FieldKind::IPv4Address: {
        const auto octets = parseIPv4(text);
        if (!octets)
            return refuse(name, QStringLiteral("IP címet vár a.b.c.d alakban (0-255)."),
                          QStringLiteral("expects an IP address a.b.c.d (0-255)."));
        decoded = *octets;
        break;
    }
    case FieldKind::FlagByte:
        if (isBoolFlag(spec)) {
            decoded = value.toBool() ? 1 : 0;
            break;
        }
        [[fallthrough]];
    case FieldKind::TimerByte:
    case FieldKind::Word16BE: {
        const double number = value.toDouble(-1);
        const int maximum = intMaximum(spec);
        if (!value.isDouble() || std::floor(number) != number || number < 0 || number > maximum)
            return refuse(name, QStringLiteral("egész számot vár 0 és %1 között.").arg(maximum),
                          QStringLiteral("expects a whole number from 0 to %1.").arg(maximum));
        decoded = static_cast<int>(number);
        break;
    }
    case FieldKind::ZeroPair:
        break;
    }
    encodeField(image, spec, decoded);
    return std::nullopt;
}

QByteArray exportJson(const ImageBytes& image) {
    QJsonObject fields, raw;
    QJsonArray spare;
    for (const FieldSpec& spec : ImageLayout) {
        const QJsonValue value = fieldJsonValue(image, spec);
        ImageBytes check = image;
        bool same = false;
        if (!value.isNull() && !applyFieldValue(spec, value, check)) {
            // Only values import accepts; the rest is said by the raw bytes alone.
            fields.insert(nameOf(spec), value);
            same = check == image;
        } else if (!value.isNull()) {
            same = false;
        }
        // The zero pairs have no value to carry them, so their bytes always travel raw.
        if (!same)
            raw.insert(nameOf(spec), toHex(fieldBytes(image, spec)));
    }
    for (const SpareRange& range : SpareRanges)
        spare.append(
            QJsonObject{{QStringLiteral("offset"), static_cast<int>(range.offset)},
                        {QStringLiteral("hex"), toHex(ConstFieldBytes(image.data() + range.offset, range.size))}});
    QJsonObject root{{QStringLiteral("format"), QString::fromLatin1(ParameterJsonFormat)},
                     {QStringLiteral("version"), ParameterJsonVersion},
                     {QStringLiteral("fields"), fields}};
    if (!raw.isEmpty())
        root.insert(QStringLiteral("raw"), raw);
    root.insert(QStringLiteral("spare"), spare);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString exportCsv(const ImageBytes& image, CsvStyle style) {
    QString out = csvStart(style) + csvLine({QStringLiteral("name"), QStringLiteral("tab"), QStringLiteral("label"),
                                             QStringLiteral("offset"), QStringLiteral("size"), QStringLiteral("value"),
                                             QStringLiteral("hex")},
                                            style);
    for (const FieldSpec& spec : ImageLayout) {
        const QString tab = spec.shownByEditor() ? QString::fromUtf8(tabInfo(spec.tab)->caption) : QString();
        out += csvLine({nameOf(spec), tab, QString::fromUtf8(spec.label), QString::number(spec.offset),
                        QString::number(spec.size()), displayValue(image, spec), toHex(fieldBytes(image, spec))},
                       style);
    }
    for (const SpareRange& range : SpareRanges)
        out += csvLine({QStringLiteral("spare"), QString(), QString(), QString::number(range.offset),
                        QString::number(range.size), QString(),
                        toHex(ConstFieldBytes(image.data() + range.offset, range.size))},
                       style);
    return out;
}

bool isJsonText(const QByteArray& bytes) {
    qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (start < bytes.size() && blank(bytes[start]))
        ++start;
    if (start >= bytes.size() || bytes[start] != '{')
        return false;
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n')
            return false;
    return true;
}

std::optional<ParameterError> importJson(const QByteArray& json, ImageBytes& image) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return refuse(
            QString(), QStringLiteral("hibás JSON (%1. bájt): %2").arg(parseError.offset).arg(parseError.errorString()),
            QStringLiteral("malformed JSON (byte %1): %2").arg(parseError.offset).arg(parseError.errorString()));
    if (!document.isObject())
        return refuse(QString(), QStringLiteral("a JSON nem objektum."), QStringLiteral("the JSON is not an object."));
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")) != QJsonValue(QString::fromLatin1(ParameterJsonFormat)))
        return refuse(QStringLiteral("format"),
                      QStringLiteral("értéke \"%1\" kell legyen.").arg(QLatin1String(ParameterJsonFormat)),
                      QStringLiteral("must be \"%1\".").arg(QLatin1String(ParameterJsonFormat)));
    if (root.value(QStringLiteral("version")) != QJsonValue(ParameterJsonVersion))
        return refuse(QStringLiteral("version"),
                      QStringLiteral("csak az %1. változat olvasható.").arg(ParameterJsonVersion),
                      QStringLiteral("only version %1 can be read.").arg(ParameterJsonVersion));
    for (auto it = root.begin(); it != root.end(); ++it) {
        const QString key = it.key();
        if (key != QLatin1String("format") && key != QLatin1String("version") && key != QLatin1String("fields") &&
            key != QLatin1String("raw") && key != QLatin1String("spare"))
            return refuse(key, QStringLiteral("ismeretlen kulcs."), QStringLiteral("unknown key."));
    }
    for (const char* section : {"fields", "raw"}) {
        const QJsonValue v = root.value(QLatin1String(section));
        if (!v.isUndefined() && !v.isObject())
            return refuse(QLatin1String(section), QStringLiteral("objektumot vár."),
                          QStringLiteral("expects an object."));
    }
    ImageBytes work = image;
    const QJsonObject fields = root.value(QStringLiteral("fields")).toObject();
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        const FieldSpec* spec = findField(it.key().toStdString());
        if (!spec)
            return refuse(it.key(), QStringLiteral("nincs ilyen nevű mező."), QStringLiteral("no field of that name."));
        if (auto error = applyFieldValue(*spec, it.value(), work))
            return error;
    }
    // Raw bytes come after the values: they are what the values could not say.
    const QJsonObject raw = root.value(QStringLiteral("raw")).toObject();
    for (auto it = raw.begin(); it != raw.end(); ++it) {
        const QString where = QStringLiteral("raw.") + it.key();
        const FieldSpec* spec = findField(it.key().toStdString());
        if (!spec)
            return refuse(where, QStringLiteral("nincs ilyen nevű mező."), QStringLiteral("no field of that name."));
        const auto bytes = it.value().isString() ? fromHex(it.value().toString(), spec->size()) : std::nullopt;
        if (!bytes)
            return refuse(where, QStringLiteral("%1 bájt hexadecimális alakban kell legyen.").arg(spec->size()),
                          QStringLiteral("must be %1 bytes in hex.").arg(spec->size()));
        std::copy(bytes->begin(), bytes->end(), work.begin() + static_cast<std::ptrdiff_t>(spec->offset));
    }
    const QJsonValue spareValue = root.value(QStringLiteral("spare"));
    if (!spareValue.isUndefined() && !spareValue.isArray())
        return refuse(QStringLiteral("spare"), QStringLiteral("tömböt vár."), QStringLiteral("expects an array."));
    const QJsonArray spare = spareValue.toArray();
    for (qsizetype i = 0; i < spare.size(); ++i) {
        const QString where = QStringLiteral("spare[%1]").arg(i);
        const QJsonObject entry = spare[i].toObject();
        const double offset = entry.value(QStringLiteral("offset")).toDouble(-1);
        const QString hex = entry.value(QStringLiteral("hex")).toString();
        const std::size_t size = static_cast<std::size_t>(hex.size() / 2);
        bool valid = spare[i].isObject() && entry.size() == 2 && std::floor(offset) == offset && offset >= 0 &&
                     offset < static_cast<double>(ImageSize) && size > 0 && size <= ImageSize &&
                     static_cast<std::size_t>(offset) + size <= ImageSize;
        std::optional<QByteArray> bytes = valid ? fromHex(hex, size) : std::nullopt;
        if (bytes)
            for (std::size_t at = static_cast<std::size_t>(offset); at < static_cast<std::size_t>(offset) + size; ++at)
                valid = valid && !isFieldByte(at);
        if (!valid || !bytes)
            return refuse(where, QStringLiteral("{\"offset\": N, \"hex\": \"...\"} alakú, csak tartalék bájtokra."),
                          QStringLiteral("must be {\"offset\": N, \"hex\": \"...\"} covering spare bytes only."));
        std::copy(bytes->begin(), bytes->end(), work.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    image = work;
    return std::nullopt;
}

std::optional<ParameterError> applyAssignment(const QString& assignment, ImageBytes& image) {
    const qsizetype eq = assignment.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return refuse(QString(), QStringLiteral("NÉV=ÉRTÉK alakot vár."), QStringLiteral("expects NAME=VALUE."));
    const QString name = assignment.left(eq).trimmed();
    const QString token = assignment.mid(eq + 1).trimmed();
    const FieldSpec* spec = findField(name.toStdString());
    if (!spec)
        return refuse(name, QStringLiteral("nincs ilyen nevű mező."), QStringLiteral("no field of that name."));
    QJsonValue value;
    if (token.startsWith(QLatin1Char('"'))) {
        const QJsonDocument doc = QJsonDocument::fromJson((QStringLiteral("[") + token + QStringLiteral("]")).toUtf8());
        if (!doc.isArray() || doc.array().size() != 1 || !doc.array()[0].isString())
            return refuse(name, QStringLiteral("hibás idézőjeles szöveg."), QStringLiteral("malformed quoted text."));
        value = doc.array()[0];
    } else if (isStringKind(spec->kind)) {
        value = token;
    } else if (isBoolFlag(*spec)) {
        const QString t = token.toLower();
        if (t == QLatin1String("true") || t == QLatin1String("1") || t == QLatin1String("igen"))
            value = true;
        else if (t == QLatin1String("false") || t == QLatin1String("0") || t == QLatin1String("nem"))
            value = false;
        else
            value = token;
    } else {
        bool ok = false;
        const int number = token.toInt(&ok);
        value = ok ? QJsonValue(number) : QJsonValue(token);
    }
    ImageBytes work = image;
    if (auto error = applyFieldValue(*spec, value, work))
        return error;
    image = work;
    return std::nullopt;
}

} // namespace vantrel
