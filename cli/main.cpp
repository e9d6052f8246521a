// vantrel5-cli: the command-line tool over the logic libraries; Qt Core only, so it runs headless.
#include "cli/CliText.h"
#include "cli/Commands.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace {

// The argument's bytes with those outside printable ASCII shown as \xNN, for a message about it.
QByteArray shown(const QByteArray& bytes) {
    QByteArray out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        out += (u >= 0x20 && u < 0x7F) ? QByteArray(1, c)
                                       : "\\x" + QByteArray::number(u, 16).toUpper().rightJustified(2, '0');
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel5-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
    // A file name is passed on as text: bytes the locale's encoding cannot carry would come back as another
    // name, and a file of that other name would be read or written. Such a name is refused instead.
    for (int i = 1; i < argc; ++i) {
        const QByteArray given(argv[i]);
        if (QFile::encodeName(QFile::decodeName(given)) != given) {
            std::fprintf(stderr, "vantrel5-cli: %s: %s\n", shown(given).constData(),
                         vantrel::cli::say("a név nem érvényes UTF-8 szöveg, más néven kerülne a fájlba; "
                                           "nevezze át a fájlt",
                                           "the name is not valid UTF-8 and would become another name; rename the file")
                             .toUtf8()
                             .constData());
            return vantrel::cli::FileFailed;
        }
    }
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return vantrel::cli::runCli(arguments);
}
