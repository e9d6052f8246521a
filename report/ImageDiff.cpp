// Differences between two images: fields first through the layout table, spare bytes as hex runs.
#include "report/ImageDiff.h"

#include "common/Cp1250.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

QString toHex(ConstFieldBytes bytes) {
    static const char digits[] = "0123456789ABCDEF";
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size() * 2));
    for (std::uint8_t b : bytes) {
        out += QLatin1Char(digits[b >> 4]);
        out += QLatin1Char(digits[b & 15]);
    }
    return out;
}

namespace {

QString whereOf(const FieldSpec& spec) {
    if (!spec.shownByEditor())
        return QString();
    return QString::fromUtf8(tabInfo(spec.tab)->caption) + QStringLiteral(" / ") + QString::fromUtf8(spec.label);
}

} // namespace

std::vector<DiffRow> diffImages(const ImageBytes& left, const ImageBytes& right, std::size_t begin, std::size_t end) {
    end = std::min(end, ImageSize);
    std::vector<DiffRow> rows;
    const auto sameBytes = [&](std::size_t from, std::size_t to) {
        return std::memcmp(left.data() + from, right.data() + from, to - from) == 0;
    };
    std::size_t spareAt = 0;
    const auto spareRows = [&](std::size_t from, std::size_t to) {
        from = std::max(from, begin);
        to = std::min(to, end);
        for (std::size_t i = from; i < to;) {
            if (left[i] == right[i]) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < to && left[j] != right[j])
                ++j;
            const ConstFieldBytes l(left.data() + i, j - i), r(right.data() + i, j - i);
            rows.push_back({nullptr, i, j - i, QStringLiteral("spare"), QString(), toHex(l), toHex(r)});
            i = j;
        }
    };
    for (const FieldSpec& spec : ImageLayout) {
        spareRows(spareAt, spec.offset);
        spareAt = spec.end();
        if (spec.end() <= begin || spec.offset >= end || sameBytes(spec.offset, spec.end()))
            continue;
        QString l = displayValue(left, spec), r = displayValue(right, spec);
        if (l == r) { // the editor would show the same; the bytes still differ, so show them
            l = toHex(fieldBytes(left, spec));
            r = toHex(fieldBytes(right, spec));
        }
        rows.push_back({&spec, spec.offset, spec.size(),
                        QString::fromLatin1(spec.name.data(), static_cast<qsizetype>(spec.name.size())), whereOf(spec),
                        l, r});
    }
    spareRows(spareAt, ImageSize);
    return rows;
}

QString diffText(const std::vector<DiffRow>& rows) {
    // Concatenated, not QString::arg: a text value may itself hold "%1".
    const QChar tab = QLatin1Char('\t');
    QString out;
    for (const DiffRow& row : rows)
        out += (row.where.isEmpty() ? row.name : row.where) + tab + QString::number(row.offset) + tab +
               QString::number(row.size) + tab + row.left + tab + row.right + tab + row.name + QLatin1Char('\n');
    return out;
}

QString diffCsv(const std::vector<DiffRow>& rows, const QString& leftHeading, const QString& rightHeading,
                CsvStyle style) {
    QString out =
        csvStart(style) + csvLine({QStringLiteral("name"), QStringLiteral("tab/label"), QStringLiteral("offset"),
                                   QStringLiteral("size"), leftHeading, rightHeading},
                                  style);
    for (const DiffRow& row : rows)
        out += csvLine(
            {row.name, row.where, QString::number(row.offset), QString::number(row.size), row.left, row.right}, style);
    return out;
}

} // namespace vantrel
