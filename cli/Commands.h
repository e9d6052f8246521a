// The commands of vantrel5-cli. Each returns the exit status, or throws CliError with its status and line.
#pragma once

#include "cli/CommandLine.h"

namespace vantrel::cli {

int runPorts(const Invocation& inv);
int runStatus(const Invocation& inv);
int runRead(const Invocation& inv);
int runWrite(const Invocation& inv);
int runCompare(const Invocation& inv);
int runDiff(const Invocation& inv);
int runExport(const Invocation& inv);
int runImport(const Invocation& inv);
int runSet(const Invocation& inv);

// Runs the whole command line: parses it, runs the command, prints the error line of a failure.
int runCli(const QStringList& arguments);

} // namespace vantrel::cli
