// The CSV texts the tool writes: cells quoted where needed, in one of two styles.
#pragma once

#include <QString>
#include <QStringList>

namespace vantrel {

// Plain: "," between cells, for scripts (the command-line tool). Spreadsheet: ";" between cells and a
// byte-order mark first, for the spreadsheet programs installers open the windows' files in, which expect
// that when set to Hungarian (the comma is the decimal sign there).
enum class CsvStyle { Plain, Spreadsheet };

// What a CSV text of the style starts with: the byte-order mark, or nothing.
QString csvStart(CsvStyle style);
// One line: the cells, each quoted when it holds the separator, a quote or a line break.
QString csvLine(const QStringList& cells, CsvStyle style);

} // namespace vantrel
