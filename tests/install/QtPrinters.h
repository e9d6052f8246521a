// Readable Qt values in GoogleTest's failure messages.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& value, std::ostream* out) {
    *out << '"' << value.toStdString() << '"';
}
inline void PrintTo(const QStringList& value, std::ostream* out) {
    *out << '[' << value.join(QStringLiteral(", ")).toStdString() << ']';
}
inline void PrintTo(const QByteArray& value, std::ostream* out) {
    *out << '"' << value.toStdString() << '"';
}
inline void PrintTo(const QSize& value, std::ostream* out) {
    *out << value.width() << 'x' << value.height();
}
