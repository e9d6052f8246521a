// The run of one command line: parse, dispatch, and the one error line of a failure.
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "common/Errors.h"
#include "params/ImageLayout.h"

#include <QCoreApplication>

namespace vantrel::cli {

namespace {

void listFields() {
    QString text;
    for (const FieldSpec& field : ImageLayout)
        text += QString::fromLatin1(field.name.data(), qsizetype(field.name.size())) + QLatin1Char('\n');
    printResult(text);
}

int dispatch(const Invocation& inv) {
    using Runner = int (*)(const Invocation&);
    static const std::pair<const char*, Runner> runners[] = {
        {"ports", runPorts}, {"status", runStatus}, {"read", runRead},     {"write", runWrite}, {"compare", runCompare},
        {"diff", runDiff},   {"export", runExport}, {"import", runImport}, {"set", runSet},
    };
    for (const auto& [name, runner] : runners)
        if (inv.command == QLatin1String(name))
            return runner(inv);
    throw CliError(UsageError, say("ismeretlen parancs: %1", "unknown command: %1").arg(inv.command));
}

} // namespace

int runCli(const QStringList& arguments) {
    guardStandardOutput();
    try {
        const Invocation inv = parseCommandLine(arguments);
        setQuiet(inv.quiet);
        if (inv.help) {
            printResult(helpText());
            return Done;
        }
        if (inv.version) {
            printResult(QStringLiteral("vantrel5-cli %1\n").arg(QCoreApplication::applicationVersion()));
            return Done;
        }
        if (inv.listFields) {
            listFields();
            return Done;
        }
        const int status = dispatch(inv);
        finishStandardOutput();
        return status;
    } catch (const CliError& error) {
        printError(error.text());
        return error.status();
    } catch (const EInOutError& error) {
        printError(say("fájlhiba: %1", "file error: %1").arg(inOutErrorText(error, textLanguage())));
        return FileFailed;
    } catch (const std::exception& error) {
        // Nothing should get here; if it does, the user still reads what went wrong, as a file error
        // would not fit, status 2 would blame the user: the port statuses are the honest middle.
        printError(userText(error));
        return PortFailed;
    }
}

} // namespace vantrel::cli
