// Port lines: "+" or "-", the friendly name with "(COMn)", ";", the description. The rules that take a
// line apart and order and search lists of them.
#pragma once

#include <QString>
#include <QStringList>

namespace vantrel::ports {

// The name part of a line, without its marker; empty when the line has no ";" or starts with it.
QString EntryName(const QString& line);
// What follows the first ";", when that is at least two characters; else empty.
QString EntryDescription(const QString& line);
// "COM12" -> 12; "Port (COM3) x" -> 3; 0 for a text without a COM number or whose number is not a
// decimal integer.
int PortNumberOf(const QString& text);
// Orders lines by port number, keeping the order of lines with equal numbers.
void SortByPortNumber(QStringList& list);
// Index of the first line whose port number equals n taken as an 8-bit value, or -1.
int FindPortEntry(const QStringList& list, int n);

// Port numbers that can name a port in the lookups: 0 (and what wraps to 0) stands for "no number".
bool isLookupPortNumber(int n);

} // namespace vantrel::ports
