// Chooser rules.
#include "serial/ports/PortChoice.h"

#include "serial/ports/PortEntry.h"

#include <limits>

namespace vantrel::ports {

QString UserPortLine(int number) {
    return QStringLiteral("+Sajátport (COM%1);(user defined port)").arg(number);
}

int LeadingInteger(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    constexpr long long limit = std::numeric_limits<int>::max();
    long long value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > limit)
            value = limit;
    }
    return static_cast<int>(negative ? -value : value);
}

QString DisplayNameOf(const QString& line) {
    const QString name = EntryName(line);
    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    return colon < 0 ? name : name.left(colon);
}

int CentredTopRow(int row, int rowCount, int visibleRows) {
    int top = row - visibleRows / 2;
    if (top > rowCount - visibleRows)
        top = rowCount - visibleRows;
    if (top < 0)
        top = 0;
    return top;
}

} // namespace vantrel::ports
