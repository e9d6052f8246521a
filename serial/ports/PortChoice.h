// The rules of choosing a port in the chooser that are not about widgets: the lines added by number, the
// reading of a typed number, the display name returned, and where the list scrolls to.
#pragma once

#include <QString>

namespace vantrel::ports {

constexpr int LowestUserPort = 1;
constexpr int HighestUserPort = 99;

// "+Sajátport (COMn);(user defined port)": a port the installer added by its number.
QString UserPortLine(int number);

// The integer formed by the leading characters: blanks skipped, an optional sign, then digits up to the
// first non-digit ("7x" -> 7; no leading digits -> 0). Saturates instead of overflowing.
int LeadingInteger(const QString& text);

// The name of a line as the chooser returns it: EntryName cut before its first ":".
QString DisplayNameOf(const QString& line);

// The first visible row that puts row in the middle of a view of visibleRows rows, kept inside the list.
int CentredTopRow(int row, int rowCount, int visibleRows);

} // namespace vantrel::ports
