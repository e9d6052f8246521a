// Windows-1250 text: every text of the module, of parameter files and of the tool's own files is single
// bytes in this code page; the windows show it as Unicode.
#pragma once

#include <QByteArray>
#include <QString>

namespace vantrel {

// Unicode to Windows-1250. Characters without a code in the code page become '?'; callers that must not
// lose characters check hasCp1250Code first.
QByteArray toCp1250(const QString& text);
QString fromCp1250(const QByteArray& bytes);
QString fromCp1250(char byte);

// True when every character of text has a Windows-1250 code.
bool hasCp1250Code(const QString& text);

} // namespace vantrel
