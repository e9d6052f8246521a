#include "cli/Journal.h"

#include "cli/CliText.h"
#include "cli/Console.h"
#include "monitor/EventLog.h"

namespace vantrel::cli {

void logEvent(const QString& where, const QString& text) {
    static const bool handlerSet = [] {
        // Said once, as a warning: the command itself still succeeds or fails on its own merits.
        EventLog::setWarningHandler([](const QString& warning) {
            if (!quiet())
                printError(say("figyelmeztetés: %1", "warning: %1").arg(warning));
        });
        return true;
    }();
    (void)handlerSet;
    EventLog::append(QStringLiteral("vantrel5-cli %1: %2").arg(where, text));
}

} // namespace vantrel::cli
