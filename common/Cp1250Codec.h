// The platform's converter for Windows-1250, for Cp1250.cpp: Qt's on Linux (through ICU), the system's own
// code page 1250 on Windows, where Qt is built without ICU and knows no such code page.
#pragma once

#include <QByteArray>
#include <QString>

namespace vantrel::cp1250 {

// The bytes for text. exact: whether every character had a code (what the others became is unspecified).
QByteArray encode(const QString& text, bool& exact);
// One character for every byte, also for the five bytes without a character.
QString decode(const QByteArray& bytes);

} // namespace vantrel::cp1250
