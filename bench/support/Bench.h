// What the benchmarks share: the CPU time and wake-ups of their own process, a way to let the event loop
// run until something has happened, and a home folder of their own for the tool's files.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <functional>
#include <sys/resource.h>

namespace vantrel::bench {

inline double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Voluntary context switches of the whole process: a figure a loaded machine blurs less than CPU time.
inline long wakeUps() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_nvcsw;
}

// Runs the event loop until done() holds or the time is up; returns done().
inline bool pumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// A fresh folder that the tool takes for its working directory and its XDG config, data and state homes,
// for as long as this lives.
struct OwnHome {
    QTemporaryDir dir;
    OwnHome() {
        QDir::setCurrent(dir.path());
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
            qputenv(name, dir.path().toLocal8Bit());
    }
    QString path() const { return dir.path(); }
};

} // namespace vantrel::bench
