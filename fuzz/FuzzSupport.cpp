// Shared helpers of the harnesses.
#include "fuzz/FuzzSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace vantrel::fuzz {

void require(bool ok, const char* what) {
    if (ok)
        return;
    std::fprintf(stderr, "\n*** fuzz check failed: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

void startOffscreenApplication() {
    // Never destroyed: the harnesses' widgets live until the process ends, and an application object torn
    // down by the exit handlers under them would crash the run at its very end.
    static QApplication* app = nullptr;
    if (app)
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    static int argc = 1;
    static char name[] = "vantrel-fuzz";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
}

QString scratchDirectory() {
    // Held by a function-local static: removed with its files when the process ends normally.
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vantrel-fuzz-XXXXXX"));
    require(dir.isValid(), "no scratch directory");
    return dir.path();
}

QString scratchFile(const char* name) {
    return scratchDirectory() + QLatin1Char('/') + QString::fromLatin1(name);
}

void writeScratchFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the scratch file");
    require(file.write(bytes) == bytes.size(), "short write to the scratch file");
}

} // namespace vantrel::fuzz
