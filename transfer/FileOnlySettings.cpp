#include "transfer/FileOnlySettings.h"

#include "params/ImageLayout.h"

#include <algorithm>

namespace vantrel {

namespace {

bool isSetting(const FieldSpec& spec) {
    return !spec.reachesModule() && spec.kind != FieldKind::ZeroPair;
}

QString nameOf(const FieldSpec& spec) {
    return QString::fromLatin1(spec.name.data(), static_cast<qsizetype>(spec.name.size()));
}

} // namespace

QStringList settingsKeptOnlyInFile(const ImageBytes& image) {
    QStringList names;
    for (const FieldSpec& spec : ImageLayout) {
        if (!isSetting(spec))
            continue;
        const auto begin = image.begin() + static_cast<std::ptrdiff_t>(spec.offset);
        if (std::any_of(begin, begin + static_cast<std::ptrdiff_t>(spec.size()), [](std::uint8_t b) { return b != 0; }))
            names << nameOf(spec);
    }
    return names;
}

bool isFileOnlySetting(const QString& name) {
    const FieldSpec* spec = findField(name.toStdString());
    return spec && isSetting(*spec);
}

QString keptOnlyInFileText(const QStringList& names, TextLanguage language, qsizetype shown) {
    if (names.isEmpty())
        return {};
    const bool hu = language == TextLanguage::Hungarian;
    QString list = names.mid(0, shown).join(QStringLiteral(", "));
    if (names.size() > shown)
        list += (hu ? QStringLiteral(" és további %1") : QStringLiteral(" and %1 more")).arg(names.size() - shown);
    return (hu ? QStringLiteral("Csak a fájlban tárolódik, a modulba nem kerül: %1.")
               : QStringLiteral("Kept only in the file, never sent to the module: %1."))
        .arg(list);
}

} // namespace vantrel
