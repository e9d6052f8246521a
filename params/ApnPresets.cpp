// APN presets: built-in list, item parsing, and the APNs.dat file.
#include "params/ApnPresets.h"

#include "common/Cp1250.h"
#include "common/Errors.h"
#include "common/FileIO.h"

namespace vantrel {

namespace {

constexpr QChar kQuote = QLatin1Char('"');

} // namespace

QString apnPresetFileName() {
    return QStringLiteral("APNs.dat");
}

QString apnPresetItem(const QString& name, const ApnPreset& values) {
    return QStringLiteral("%1\"%2\",\"%3\",\"%4\"")
        .arg(name.leftJustified(ApnPresetNameWidth, QLatin1Char(' ')), values.apn, values.userName, values.password);
}

QStringList builtInApnPresets() {
    return {
        apnPresetItem(QStringLiteral("Egyéni beállítás"), {}),
        apnPresetItem(QStringLiteral("T-Mobile"), {QStringLiteral("internet"), {}, {}}),
        apnPresetItem(QStringLiteral("Pannon GSM"), {QStringLiteral("net"), {}, {}}),
        apnPresetItem(QStringLiteral("Vodafone"), {QStringLiteral("internet.vodafone.net"), {}, {}}),
        apnPresetItem(QStringLiteral("VodaVitamax"), {QStringLiteral("vitamax.internet.vodafone.net"), {}, {}}),
    };
}

ApnPreset ParseApnPreset(const QString& item) {
    QString rest = item;
    // Skip to the opening quote; the text up to the closing quote is the value. A missing closing quote
    // leaves the value empty and the rest as it is.
    auto next = [&rest]() -> QString {
        const qsizetype open = rest.indexOf(kQuote);
        if (open >= 0)
            rest.remove(0, open + 1);
        const qsizetype close = rest.indexOf(kQuote);
        if (close < 0)
            return {};
        QString value = rest.left(close);
        rest.remove(0, close + 1);
        return value;
    };
    ApnPreset preset;
    preset.apn = next();
    preset.userName = next();
    preset.password = next();
    return preset;
}

QString apnPresetName(const QString& item) {
    const qsizetype quote = item.indexOf(kQuote);
    QString name = quote < 0 ? item : item.left(quote);
    qsizetype end = name.size();
    while (end > 0 && name[end - 1].isSpace())
        --end;
    name.truncate(end);
    return name;
}

QStringList splitApnPresetLines(const QByteArray& bytes) {
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.append(fromCp1250(bytes.mid(start, i - start)));
            i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < bytes.size())
        lines.append(fromCp1250(bytes.mid(start)));
    return lines;
}

QByteArray joinApnPresetLines(const QStringList& items) {
    QByteArray bytes;
    for (const QString& item : items) {
        bytes += toCp1250(item);
        bytes += "\r\n";
    }
    return bytes;
}

std::optional<QStringList> readApnPresetFile(const QString& path, QString* note) {
    const FileContent content = readFileStart(path, ApnPresetFileLimit + 1);
    if (content.error)
        return std::nullopt;
    if (content.bytes.size() > ApnPresetFileLimit) {
        if (note)
            *note = QStringLiteral("%1: a fájl nagyobb %2 bájtnál, a beépített lista marad.")
                        .arg(path)
                        .arg(ApnPresetFileLimit);
        return std::nullopt;
    }
    QStringList items;
    qsizetype ignored = 0;
    for (const QString& line : splitApnPresetLines(content.bytes)) {
        if (line.trimmed().isEmpty())
            continue;
        if (items.size() < ApnPresetCountLimit)
            items.append(line);
        else
            ++ignored;
    }
    if (ignored > 0 && note)
        *note = QStringLiteral("%1: csak az első %2 bejegyzés került a listába, %3 további kimaradt.")
                    .arg(path)
                    .arg(ApnPresetCountLimit)
                    .arg(ignored);
    if (items.isEmpty())
        return std::nullopt;
    return items;
}

void writeApnPresetFile(const QString& path, const QStringList& items) {
    if (const std::optional<FileError> failed = writeFileAtomically(path, joinApnPresetLines(items)))
        throw EInOutError::fromErrno(failed->err, path);
}

} // namespace vantrel
