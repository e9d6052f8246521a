// `read`, `write` and `compare`: the transfer engine of the windows, with the same backup, read-back,
// retries and outcomes, driven from the command line; Ctrl+C is the window's Stop.
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Differences.h"
#include "cli/Files.h"
#include "cli/Interrupt.h"
#include "cli/Journal.h"
#include "cli/PortSession.h"
#include "transfer/ParameterTransfer.h"

#include <algorithm>

namespace vantrel::cli {

namespace {

ExitStatus statusOf(const TransferOutcome& outcome) {
    switch (outcome.kind) {
    case OutcomeKind::Complete:
        return Done;
    case OutcomeKind::Differences:
        return DifferencesFound;
    case OutcomeKind::NoAnswer:
    case OutcomeKind::WrongAddress:
    case OutcomeKind::NoAcknowledgement:
    case OutcomeKind::VerifyMismatch:
    case OutcomeKind::BackupFailed:
        return NoAnswer;
    // Ctrl+C ends the exchange on the line as a lost link would: the module may be partly changed.
    case OutcomeKind::Stopped:
    case OutcomeKind::LinkLost:
        return PortFailed;
    case OutcomeKind::BackupNotSaved:
        return FileFailed;
    }
    return NoAnswer;
}

// One transfer on an open port: progress on standard error, Ctrl+C stops it after the frame on the wire.
class TransferRun {
public:
    TransferRun(PortSession& session, ImageBytes& image, const Invocation& inv)
        : where_(session.target().name), file_(inv.operands.value(0)), progress_(inv.progress),
          transfer_(session.link(), image,
                    ParameterTransfer::Display{{}, {}, [this](TransferOperation op, WritePhase phase, int pages) {
                                                   progress_.show(progressText(op, phase, pages, textLanguage()));
                                               }}) {
        setInterruptHandler([this] { transfer_.stop(); });
    }
    ~TransferRun() { setInterruptHandler({}); }

    ParameterTransfer& engine() { return transfer_; }

    // A failed outcome ends the command with its sentence and status; a good one is printed unless -q.
    // announce: false when the command prints its own result instead (a compare's differences).
    void conclude(const TransferOutcome& outcome, bool announce = true) {
        progress_.finish();
        // A stop that came as a signal names it: a hang-up or a closed pipe is not what the installer did.
        const QString signal = outcome.kind == OutcomeKind::Stopped && interrupted()
                                   ? QStringLiteral(" (%1)").arg(interruptName())
                                   : QString();
        // The log speaks Hungarian, as the windows' entries do.
        // The sentence names the backup, if any.
        logEvent(where_, outcomeText(outcome, TextLanguage::Hungarian) + signal + QStringLiteral(" Fájl: ") + file_);
        const QString text = outcomeText(outcome, textLanguage()) + signal;
        if (outcome.succeeded() || outcome.kind == OutcomeKind::Differences) {
            if (announce)
                printOut(text + '\n');
            return;
        }
        throw CliError(statusOf(outcome), text);
    }

private:
    QString where_;
    QString file_;
    Progress progress_;
    ParameterTransfer transfer_;
};

} // namespace

int runRead(const Invocation& inv) {
    const QString file = inv.operands[0];
    // A read takes seconds: a file that cannot be written is said at once, not after the module was read.
    checkWritable(file);
    PortSession session(inv.port);
    ImageBytes image = freshImage();
    {
        TransferRun run(session, image, inv);
        run.conclude(run.engine().read());
    }
    // The bytes no page carries are zero in a file made from the module, as in the backups.
    std::fill(image.begin() + TransferLength, image.end(), std::uint8_t{0});
    storeParameterFile(file, image);
    logEvent(file, fileSavedText(file, TextLanguage::Hungarian));
    printOut(fileSavedText(file, textLanguage()) + '\n');
    return Done;
}

int runWrite(const Invocation& inv) {
    ImageBytes image = loadParameterFile(inv.operands[0]);
    PortSession session(inv.port);
    TransferRun run(session, image, inv);
    const TransferOutcome outcome = run.engine().write(WriteOptions{!inv.noBackup, !inv.noVerify});
    if (!outcome.backupFile.isEmpty())
        printOut(say("Mentés írás előtt: %1\n", "Backup before write: %1\n").arg(outcome.backupFile));
    run.conclude(outcome);
    return Done;
}

int runCompare(const Invocation& inv) {
    const ImageBytes reference = loadParameterFile(inv.operands[0]);
    PortSession session(inv.port);
    ImageBytes scratch = reference;
    TransferRun run(session, scratch, inv);
    std::copy_n(reference.begin(), TransferLength, run.engine().TransferCopy.begin());
    const TransferOutcome outcome = run.engine().compare();
    run.conclude(outcome, false);
    // The module's pages beside the file's, so that only offsets 0..959 can differ.
    ImageBytes module = reference;
    if (outcome.kind == OutcomeKind::Differences)
        std::copy(run.engine().moduleCopy().begin(), run.engine().moduleCopy().end(), module.begin());
    return reportDifferences(module, reference, 0, TransferLength, inv.json);
}

} // namespace vantrel::cli
