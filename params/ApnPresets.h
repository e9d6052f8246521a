// GPRS access presets of the mobile operators: the built-in list, the item text layout, and the optional
// APNs.dat file that replaces the list.
//
// An item is one line: the operator's name padded with spaces to 39 characters, then the APN, the user name
// and the password, each in double quotes, separated by commas. Item 0 is always the custom entry.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace vantrel {

constexpr int ApnPresetNameWidth = 39;

// The preset file's name, looked up in the working directory.
QString apnPresetFileName();

struct ApnPreset {
    QString apn;
    QString userName;
    QString password;
    bool operator==(const ApnPreset&) const = default;
};

// An item in the layout above.
QString apnPresetItem(const QString& name, const ApnPreset& values);
QStringList builtInApnPresets();

// The three quoted values of an item, in order; a value whose quotes are missing is empty.
ApnPreset ParseApnPreset(const QString& item);
// What a narrow list shows of an item: the text before the first double quote, without trailing blanks.
QString apnPresetName(const QString& item);

// Lines of a preset file, Windows-1250, ended by CR, LF or CR LF (the last line may lack its end).
QStringList splitApnPresetLines(const QByteArray& bytes);
// The file's bytes: every item ends with CR LF.
QByteArray joinApnPresetLines(const QStringList& items);

// The items of the preset file, or nothing when it is missing, is not a readable regular file, is too large
// to be a preset list, or holds no item at all. Empty lines are no items; only the first ApnPresetCountLimit
// items are taken. note (if given) says what was left out, once, or stays empty. Never throws.
std::optional<QStringList> readApnPresetFile(const QString& path, QString* note = nullptr);
// Replaces the file with the items. Throws EInOutError when it cannot be written; the old file then stays.
void writeApnPresetFile(const QString& path, const QStringList& items);

// Files larger than this are not taken as preset lists (a list of a few dozen operators is a few kB).
constexpr qint64 ApnPresetFileLimit = 1024 * 1024;
// Items beyond this are not taken: a list longer than this is no operator list, and every item is a row
// of the provider list.
constexpr int ApnPresetCountLimit = 200;

} // namespace vantrel
