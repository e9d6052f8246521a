// vantrel5-cli: the command-line tool over the logic libraries; Qt Core only, so it runs headless.
#include "cli/Commands.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel5-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return vantrel::cli::runCli(arguments);
}
