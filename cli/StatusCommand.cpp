// `status`: one status poll ("??") and the module's answer decoded as the status monitor shows it; with
// --watch a poll every 0.5 s, one line per answer, until interrupted.
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Interrupt.h"
#include "cli/Journal.h"
#include "cli/PortSession.h"
#include "monitor/StatusView.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>

namespace vantrel::cli {

namespace {

constexpr int kAnswerMs = 1000; // a module answers a poll well within a second
constexpr int kWatchIntervalMs = 500;

// Keeps the last status message; texts are not wanted here.
struct StatusCatcher : DispatchSink {
    void AppendToMemo(MemoTarget, const QByteArray&, bool) override {}
    void StatusMessage(const std::array<std::uint8_t, 4>& status) override { last = status; }
    std::optional<std::array<std::uint8_t, 4>> last;
};

QString rawHex(const std::array<std::uint8_t, 4>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), 4).toHex(' ');
}

QJsonObject statusJson(const std::array<std::uint8_t, 4>& bytes) {
    const StatusRecord record{bytes[0], bytes[1], bytes[2], bytes[3]};
    const StatusView view = statusView(record, textLanguage());
    QJsonArray inputs;
    for (int n = 0; n < 4; ++n)
        inputs.append(QJsonObject{{"input", QStringLiteral("IN%1").arg(n + 1)},
                                  {"shorted", bool(record.InputFlags & (1u << n))},
                                  {"text", view.inputs[n].text}});
    return QJsonObject{{"inputs", inputs},
                       {"line", QJsonObject{{"ok", bool(record.InputFlags & 0x10)}, {"text", view.line.text}}},
                       {"signal", record.SignalLevel},
                       {"call", QJsonObject{{"state", record.CallState}, {"text", view.call.text}}},
                       {"raw", rawHex(bytes)}};
}

QString statusLine(const std::array<std::uint8_t, 4>& bytes) {
    const StatusView view = statusView({bytes[0], bytes[1], bytes[2], bytes[3]}, textLanguage());
    QStringList inputs;
    for (int n = 0; n < 4; ++n)
        inputs << QStringLiteral("IN%1 %2").arg(n + 1).arg(view.inputs[n].text);
    return QStringLiteral("%1; %2; %3 %4; %5")
        .arg(inputs.join(QStringLiteral(", ")), view.line.text, say("térerő", "signal"), view.signalText,
             view.call.text);
}

// ISO 8601 with milliseconds and the offset from UTC ("2026-12-09T21:22:20.123+01:00"), so that lines of
// several benches and time zones sort and compare.
QString watchTime(const QDateTime& local) {
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

void sendPoll(PortSession& session) {
    try {
        session.link().SendLine(QByteArrayLiteral("??"));
    } catch (const ESerialPort&) {
        throw CliError(PortFailed, session.linkLostText());
    }
}

} // namespace

int runStatus(const Invocation& inv) {
    PortSession session(inv.port);
    StatusCatcher catcher;
    session.link().setSink(&catcher);

    if (!inv.watch) {
        sendPoll(session);
        session.waitFor([&] { return catcher.last.has_value(); }, kAnswerMs);
        if (!catcher.last) {
            if (interrupted())
                throw CliError(PortFailed, say("megszakítva (%1)", "interrupted (%1)").arg(interruptName()));
            if (session.linkLost())
                throw CliError(PortFailed, session.linkLostText());
            throw CliError(
                NoAnswer, say("a modul nem válaszolt: %1", "the module did not answer: %1").arg(session.target().name));
        }
        if (inv.json)
            printResult(QString::fromUtf8(QJsonDocument(statusJson(*catcher.last)).toJson(QJsonDocument::Compact)) +
                        '\n');
        else
            printResult(statusLine(*catcher.last) + '\n');
        return Done;
    }

    // Watching: a line per poll, the answer or that none came; a lost link ends it, Ctrl+C ends it well.
    while (!interrupted()) {
        catcher.last.reset();
        sendPoll(session);
        QDeadlineTimer next(kWatchIntervalMs);
        session.waitFor([&] { return catcher.last.has_value(); }, kWatchIntervalMs);
        if (interrupted())
            break;
        if (session.linkLost())
            throw CliError(PortFailed, session.linkLostText());
        const QString time = watchTime(QDateTime::currentDateTime());
        if (inv.json) {
            QJsonObject object = catcher.last ? statusJson(*catcher.last) : QJsonObject{};
            object.insert("time", time);
            object.insert("answered", catcher.last.has_value());
            printResult(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + '\n');
        } else {
            printResult(time + QLatin1Char(' ') +
                        (catcher.last ? statusLine(*catcher.last) : say("nincs válasz", "no answer")) + '\n');
        }
        // The rest of the half second, so polls keep their pace however fast the answer came.
        session.waitFor([] { return false; }, int(next.remainingTime()));
    }
    // Ctrl+C and SIGTERM are how a watch ends. A hang-up or a closed pipe means its lines had nowhere to go:
    // the port is released all the same, and the end is logged and said as a failure.
    if (!interruptedByRequest()) {
        const QString cause = interruptName();
        logEvent(session.target().name, QStringLiteral("Állapotfigyelés megszakítva (%1).").arg(cause));
        throw CliError(PortFailed, say("az állapotfigyelés megszakadt (%1)", "status --watch stopped (%1)").arg(cause));
    }
    return Done;
}

} // namespace vantrel::cli
