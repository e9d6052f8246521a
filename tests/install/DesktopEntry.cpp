#include "tests/install/DesktopEntry.h"

#include <stdexcept>
#include <utility>

namespace vantrel::test {

namespace {

[[noreturn]] void fail(const QString& text) {
    throw std::invalid_argument(text.toStdString());
}

// "%%" is a percent sign; any other field code is refused. Returns the index of the last character used.
qsizetype percent(const QString& exec, qsizetype i, QString& current) {
    if (i + 1 == exec.size() || exec[i + 1] != QLatin1Char('%'))
        fail(QStringLiteral("field code %%1").arg(i + 1 < exec.size() ? exec[i + 1] : QChar()));
    current += QLatin1Char('%');
    return i + 1;
}

} // namespace

DesktopEntry DesktopEntry::parse(const QByteArray& text) {
    DesktopEntry entry;
    QString group;
    const QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2);
            if (entry.groups_.contains(group))
                fail(QStringLiteral("group [%1] appears twice").arg(group));
            entry.groups_[group];
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || group.isEmpty())
            fail(QStringLiteral("not a key line: '%1'").arg(line));
        const QString key = line.left(equals).trimmed();
        if (entry.groups_[group].contains(key))
            fail(QStringLiteral("key %1 appears twice").arg(key));
        entry.groups_[group][key] = line.mid(equals + 1).trimmed();
    }
    return entry;
}

bool DesktopEntry::has(const QString& key, const QString& group) const {
    return groups_.value(group).contains(key);
}

QString DesktopEntry::value(const QString& key, const QString& group) const {
    return unescapeDesktopString(groups_.value(group).value(key));
}

QStringList DesktopEntry::list(const QString& key, const QString& group) const {
    QStringList items = value(key, group).split(QLatin1Char(';'));
    if (!items.isEmpty() && items.last().isEmpty())
        items.removeLast();
    return items;
}

QString unescapeDesktopString(const QString& raw) {
    QString out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != QLatin1Char('\\')) {
            out += raw[i];
            continue;
        }
        if (++i == raw.size())
            fail(QStringLiteral("the value ends in a lone backslash"));
        switch (raw[i].unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case '\\':
            out += QLatin1Char('\\');
            break;
        default:
            fail(QStringLiteral("unknown escape \\%1").arg(raw[i]));
        }
    }
    return out;
}

QStringList splitExecLine(const QString& exec, const QStringList& files) {
    static const QString Reserved = QStringLiteral("\t\n\"'\\><~|&;$*?#()`");
    static const QString EscapedInQuotes = QStringLiteral("\"`$\\");
    QStringList args;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                quoted = false;
            } else if (c == QLatin1Char('\\')) {
                if (i + 1 == exec.size() || !EscapedInQuotes.contains(exec[i + 1]))
                    fail(QStringLiteral("bad escape inside quotes at %1").arg(i));
                current += exec[++i];
            } else if (c == QLatin1Char('%')) {
                i = percent(exec, i, current);
            } else {
                current += c;
            }
            continue;
        }
        if (c == QLatin1Char(' ')) {
            if (inArgument)
                args << std::exchange(current, {});
            inArgument = false;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            inArgument = true;
        } else if (c == QLatin1Char('%') && i + 1 < exec.size() && QStringLiteral("fFuU").contains(exec[i + 1])) {
            // A file code stands alone as an argument: it becomes the files (one for %f and %u), or nothing.
            const bool alone = !inArgument && (i + 2 == exec.size() || exec[i + 2] == QLatin1Char(' '));
            if (!alone)
                fail(QStringLiteral("field code %%1 inside an argument").arg(exec[i + 1]));
            const bool many = exec[i + 1] == QLatin1Char('F') || exec[i + 1] == QLatin1Char('U');
            args << (many ? files : files.mid(0, 1));
            ++i;
        } else if (c == QLatin1Char('%')) {
            i = percent(exec, i, current);
            inArgument = true;
        } else if (Reserved.contains(c)) {
            fail(QStringLiteral("reserved character '%1' outside quotes").arg(c));
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        fail(QStringLiteral("unclosed quote"));
    if (inArgument)
        args << current;
    return args;
}

} // namespace vantrel::test
