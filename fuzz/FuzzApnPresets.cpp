// APN presets on arbitrary text: APNs.dat files of any bytes and list items of any shape.
//
// Checked: the file reads as the lines its bytes hold, less the blank ones and those beyond the limit (none
// when it has none); a line never keeps a line end; every item parses to the three values the quoting rule
// gives, worked out here independently; the name a narrow list shows holds no quote and no trailing blank;
// and an item built from a name and three values without quotes parses back to those values.
#include "common/Cp1250.h"
#include "fuzz/FuzzSupport.h"
#include "params/ApnPresets.h"

#include <QStringList>
#include <cstdint>

namespace {

using namespace vantrel;
using fuzz::require;

// The quoting rule, three times on a working copy: drop through the first quote, the value runs to the
// next quote, which goes with it; without a closing quote the value is empty and nothing is dropped.
ApnPreset referenceParse(const QString& item) {
    QString rest = item;
    QString values[3];
    for (QString& value : values) {
        const qsizetype open = rest.indexOf(QLatin1Char('"'));
        if (open >= 0)
            rest = rest.mid(open + 1);
        const qsizetype close = rest.indexOf(QLatin1Char('"'));
        if (close >= 0) {
            value = rest.left(close);
            rest = rest.mid(close + 1);
        }
    }
    return {values[0], values[1], values[2]};
}

QString withoutQuotes(QString text) {
    return text.remove(QLatin1Char('"'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList lines = splitApnPresetLines(bytes);

    // The file's items are its lines but the blank ones, at most the first ApnPresetCountLimit of them.
    QStringList items;
    for (const QString& line : lines)
        if (!line.trimmed().isEmpty() && items.size() < ApnPresetCountLimit)
            items << line;
    const QString path = fuzz::scratchFile("APNs.dat");
    fuzz::writeScratchFile(path, bytes);
    const std::optional<QStringList> fromFile = readApnPresetFile(path);
    require(fromFile.has_value() == !items.isEmpty(), "the file's items and the split of its bytes disagree");
    if (fromFile)
        require(*fromFile == items, "the file reads as other items than its bytes hold");

    for (const QString& line : lines) {
        require(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')), "a line kept a line end");
        const ApnPreset preset = ParseApnPreset(line);
        require(preset == referenceParse(line), "an item parses to other values than the quoting rule gives");
        const QString name = apnPresetName(line);
        require(!name.contains(QLatin1Char('"')), "a shown name holds a quote");
        require(name.isEmpty() || !name.back().isSpace(), "a shown name ends in a blank");
    }

    // The file as the hidden Save button writes it reads back as the same list, when every character of it
    // has a code in the code page.
    if (hasCp1250Code(lines.join(QString())))
        require(splitApnPresetLines(joinApnPresetLines(lines)) == lines, "a written list reads back otherwise");

    // An item built from parts: the first line is the name, the next three the values.
    if (lines.size() >= 4) {
        const ApnPreset values{withoutQuotes(lines[1]), withoutQuotes(lines[2]), withoutQuotes(lines[3])};
        const QString name = withoutQuotes(lines[0]);
        const QString item = apnPresetItem(name, values);
        require(ParseApnPreset(item) == values, "a built item does not parse back to its values");
        QString trimmed = name;
        while (!trimmed.isEmpty() && trimmed.back().isSpace())
            trimmed.chop(1);
        require(apnPresetName(item) == trimmed, "a built item shows another name");
    }
    return 0;
}
