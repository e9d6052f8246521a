#include "common/ui/VantrelApplication.h"

#include "common/Errors.h"
#include "common/ui/Dialogs.h"

namespace vantrel {

VantrelApplication::VantrelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // No display name: the platform would append it to every window title, and the titles are fixed.
    setApplicationName(QStringLiteral("vantrel5"));
    setApplicationVersion(QStringLiteral("1.03"));
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
