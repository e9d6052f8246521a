#include "common/ui/VantrelApplication.h"

#include "common/Errors.h"
#include "common/ui/Dialogs.h"
#include "common/ui/KeyboardFocus.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

namespace vantrel {

VantrelApplication::VantrelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // No display name: the platform would append it to every window title, and the titles are fixed.
    setApplicationName(QStringLiteral("vantrel5"));
    setApplicationVersion(QStringLiteral("1.03"));
    QIcon icon;
    for (const char* size : {"16", "24", "128", "256"})
        icon.addFile(QStringLiteral(":/icons/vantrel5-%1.png").arg(QLatin1String(size)));
    setWindowIcon(icon);
    loadQtTranslation();
    new KeyboardFocus(this);
}

bool VantrelApplication::loadQtTranslation() {
    // The tool speaks Hungarian whatever the desktop's language, so Qt's own dialogs and buttons do too
    // ("Mégse", "Igen", "Megnyitás"). Without the translation package they stay in English; nothing else
    // changes.
    auto* translator = new QTranslator(this);
    if (!translator->load(QStringLiteral("qtbase_hu"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    installTranslator(translator);
    return true;
}

bool VantrelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showError(error);
    } catch (...) {
        Dialogs::error(activeWindow(), QStringLiteral("Unknown error"));
    }
    return true;
}

void VantrelApplication::showError(const std::exception& error) {
    Dialogs::error(activeWindow(), userText(error));
}

} // namespace vantrel
