#include "cli/Journal.h"

#include "cli/CliText.h"
#include "cli/Console.h"
#include "monitor/EventLog.h"

namespace vantrel::cli {

void logEvent(const QString& where, const QString& text) {
    static const bool handlerSet = [] {
        // Said once, as a warning: the command itself still succeeds or fails on its own merits.
        // The log's warning is a whole sentence in the language of the run; it is printed as it is.
        EventLog::setWarningHandler(
            [](const QString& warning) {
                if (!quiet())
                    printError(warning);
            },
            textLanguage());
        return true;
    }();
    (void)handlerSet;
    EventLog::append(QStringLiteral("vantrel5-cli %1: %2").arg(where, text));
}

} // namespace vantrel::cli
