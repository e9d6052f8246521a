#include "common/ui/VantrelApplication.h"

#include "common/Errors.h"
#include "common/ui/Dialogs.h"

#include <QIcon>

namespace vantrel {

VantrelApplication::VantrelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // No display name: the platform would append it to every window title, and the titles are fixed.
    setApplicationName(QStringLiteral("vantrel5"));
    setApplicationVersion(QStringLiteral("1.03"));
    QIcon icon;
    for (const char* size : {"16", "24", "128", "256"})
        icon.addFile(QStringLiteral(":/icons/vantrel5-%1.png").arg(QLatin1String(size)));
    setWindowIcon(icon);
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
