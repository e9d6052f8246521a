// Port line rules.
#include "serial/ports/PortEntry.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace vantrel::ports {

namespace {

const QLatin1String kComPrefix("COM");
const QLatin1String kComInBracket("(COM");

// A decimal integer with an optional sign (blanks around it allowed); anything else, including a number
// that does not fit, is no number and counts as 0, so one odd name never stops a listing.
int decimalOrZero(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

int asByte(int n) {
    return static_cast<std::uint8_t>(n);
}

} // namespace

QString EntryName(const QString& line) {
    const qsizetype separator = line.indexOf(QLatin1Char(';'));
    if (separator <= 0)
        return {};
    const bool marked = line.front() == QLatin1Char('+') || line.front() == QLatin1Char('-');
    return marked ? line.mid(1, separator - 1) : line.left(separator);
}

QString EntryDescription(const QString& line) {
    // Counted from 1 as the rule is stated: p is the separator's position, 0 when there is none.
    const qsizetype p = line.indexOf(QLatin1Char(';')) + 1;
    if (line.size() - 1 > p)
        return line.mid(p);
    return {};
}

int PortNumberOf(const QString& text) {
    if (text.startsWith(kComPrefix))
        return decimalOrZero(text.mid(kComPrefix.size()));
    const qsizetype open = text.indexOf(kComInBracket);
    if (open < 0)
        return 0;
    const qsizetype close = text.indexOf(QLatin1Char(')'), open + 1);
    if (close < 0)
        return 0;
    const qsizetype digits = open + kComInBracket.size();
    return decimalOrZero(text.mid(digits, close - digits));
}

void SortByPortNumber(QStringList& list) {
    std::vector<std::pair<int, QString>> keyed;
    keyed.reserve(static_cast<std::size_t>(list.size()));
    for (QString& line : list)
        keyed.emplace_back(PortNumberOf(line), std::move(line));
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    list.clear();
    for (auto& entry : keyed)
        list << std::move(entry.second);
}

int FindPortEntry(const QStringList& list, int n) {
    const int wanted = asByte(n);
    for (qsizetype i = 0; i < list.size(); ++i)
        if (PortNumberOf(list[i]) == wanted)
            return static_cast<int>(i);
    return -1;
}

bool isLookupPortNumber(int n) {
    return asByte(n) != 0;
}

} // namespace vantrel::ports
