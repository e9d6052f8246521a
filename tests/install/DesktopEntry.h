// Reading a desktop entry the way a menu does: groups of keys, the string escapes, and the quoting of the
// Exec line, so that the tests start exactly the command a menu would.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace vantrel::test {

class DesktopEntry {
public:
    // Throws std::invalid_argument for a line that is neither a comment, a group header nor a key.
    static DesktopEntry parse(const QByteArray& text);

    bool has(const QString& key, const QString& group = MainGroup) const;
    // The value with its string escapes resolved; empty when the key is missing.
    QString value(const QString& key, const QString& group = MainGroup) const;
    // A list value ("a;b;") as its items.
    QStringList list(const QString& key, const QString& group = MainGroup) const;

    static inline const QString MainGroup = QStringLiteral("Desktop Entry");

private:
    QMap<QString, QMap<QString, QString>> groups_;
};

// \s \n \t \r \\ resolved. Throws std::invalid_argument for any other escape.
QString unescapeDesktopString(const QString& raw);

// An Exec value (escapes already resolved) as program and arguments: blanks separate arguments, double
// quotes group them, and inside quotes a backslash escapes " ` $ and \. The file codes %f %u (the first of
// `files`) and %F %U (all of them) stand alone as arguments and vanish when there are no files. Throws
// std::invalid_argument for an unclosed quote, a reserved character outside quotes, a bad escape, a file
// code inside an argument or quotes, or any other field code.
QStringList splitExecLine(const QString& exec, const QStringList& files = {});

} // namespace vantrel::test
