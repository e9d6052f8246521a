// What a transfer ended with, as one value, and the one place where that value becomes the sentence the
// installer reads (in the window's outcome line, in the command-line tool, in the event log).
#pragma once

#include "common/Errors.h"

#include <QString>
#include <QStringList>

namespace vantrel {

enum class TransferOperation { Read, Write, Compare };

// Where a write was when it ended: a write is a backup read, the pages written, then a read-back.
enum class WritePhase { Backup, Writing, Verifying };

enum class OutcomeKind {
    Complete,          // every page went through (a compare: the module matched)
    Differences,       // a compare went through and the module differs
    NoAnswer,          // a page did not come, also after the retries
    WrongAddress,      // a page came with another page's address, also after the retries
    NoAcknowledgement, // a written page was not acknowledged, also after the retries
    VerifyMismatch,    // the read-back after a write differs from what was written
    Stopped,           // the installer stopped it
    LinkLost,          // the serial line went away under it
    BackupFailed,      // the module could not be read for the backup: nothing was written
    BackupNotSaved,    // the backup was read but could not be saved: nothing was written
};

struct TransferOutcome {
    TransferOperation operation = TransferOperation::Read;
    OutcomeKind kind = OutcomeKind::Complete;
    WritePhase phase = WritePhase::Writing; // writes only
    int page = 0;                           // the page concerned, 1..15 (15 for a complete operation)
    int retries = 0;                        // pages asked for or sent again
    int differences = 0;   // differing fields (and spare runs) of a compare; differing pages of a read-back
    bool verified = false; // a complete write that was read back and matched
    QString backupFile;    // the backup saved before a write, if any
    // A write's settings that the module never holds (see FileOnlySettings): said after a complete write.
    QStringList fileOnlySettings;
    QString backupProblem; // why the backup could not be saved: the path and the system's reason

    bool succeeded() const { return kind == OutcomeKind::Complete; }
    // True when the module may hold a mix of old and new pages.
    bool modulePartlyWritten() const;
};

// The sentence for the outcome, with the retries counted at its end when there were any.
QString outcomeText(const TransferOutcome& outcome, TextLanguage language = TextLanguage::Hungarian);
// The sentences for the file buttons; name is shown without its folder.
QString fileOpenedText(const QString& path, TextLanguage language = TextLanguage::Hungarian);
QString fileSavedText(const QString& path, TextLanguage language = TextLanguage::Hungarian);
// The phase an operation is in, in words ("Mentés írás előtt").
QString progressStep(TransferOperation operation, WritePhase phase, TextLanguage language = TextLanguage::Hungarian);
// What the outcome line shows while an operation runs: its phase and the pages done.
QString progressText(TransferOperation operation, WritePhase phase, int pagesDone,
                     TextLanguage language = TextLanguage::Hungarian);

} // namespace vantrel
