#include "transfer/TransferOutcome.h"

#include "transfer/FileOnlySettings.h"

#include <QFileInfo>

namespace vantrel {

namespace {

struct Words {
    TextLanguage language;
    QString pick(const char* hungarian, const char* english) const {
        return QString::fromUtf8(language == TextLanguage::Hungarian ? hungarian : english);
    }
};

QString operationName(TransferOperation operation, const Words& w) {
    switch (operation) {
    case TransferOperation::Read:
        return w.pick("Beolvasás", "Read");
    case TransferOperation::Write:
        return w.pick("Áttöltés", "Write");
    case TransferOperation::Compare:
        return w.pick("Összehasonlítás", "Compare");
    }
    return {};
}

// "(lap: N/15)"; while a write reads its backup the page is the backup's, and no page was written yet.
QString pageOf(const TransferOutcome& o, const Words& w) {
    if (o.operation == TransferOperation::Write && o.phase == WritePhase::Backup)
        return w.pick("(a mentés olvasása, lap: %1/15)", "(reading the backup, page %1/15)").arg(o.page);
    return w.pick("(lap: %1/15)", "(page %1/15)").arg(o.page);
}

QString sentence(const TransferOutcome& o, const Words& w) {
    const QString op = operationName(o.operation, w);
    const QString page = pageOf(o, w);
    const bool writing = o.operation == TransferOperation::Write;
    const QString partly = w.pick(" A modul csak részben módosult!", " The module was only partly changed!");
    switch (o.kind) {
    case OutcomeKind::Complete:
        switch (o.operation) {
        case TransferOperation::Read:
            return w.pick("Beolvasás kész: 15/15 lap.", "Read complete: 15/15 pages.");
        case TransferOperation::Write:
            return o.verified
                       ? w.pick("Áttöltés kész és ellenőrizve: 15/15 lap.", "Write complete and verified: 15/15 pages.")
                       : w.pick("Áttöltés kész: 15/15 lap.", "Write complete: 15/15 pages.");
        case TransferOperation::Compare:
            return w.pick("Összehasonlítás kész: a modul egyezik.", "Compare complete: the module matches.");
        }
        break;
    case OutcomeKind::Differences:
        return w.pick("Összehasonlítás kész: %1 eltérő mező.", "Compare complete: %1 differing fields.")
            .arg(o.differences);
    case OutcomeKind::NoAnswer:
        if (writing && o.phase == WritePhase::Verifying)
            return w
                .pick("Áttöltés ellenőrzése sikertelen: nem jött válasz %1. A modul módosult, de nincs ellenőrizve.",
                      "Write verification failed: no answer %1. The module was changed but not verified.")
                .arg(page);
        return w.pick("%1 sikertelen: nem jött válasz %2.", "%1 failed: no answer %2.").arg(op, page);
    case OutcomeKind::WrongAddress:
        if (writing && o.phase == WritePhase::Verifying)
            return w
                .pick("Áttöltés ellenőrzése sikertelen: hibás lapcím %1. A modul módosult, de nincs ellenőrizve.",
                      "Write verification failed: wrong page address %1. The module was changed but not "
                      "verified.")
                .arg(page);
        return w.pick("%1 sikertelen: hibás lapcím %2.", "%1 failed: wrong page address %2.").arg(op, page);
    case OutcomeKind::NoAcknowledgement:
        return w.pick("Áttöltés sikertelen: nem jött nyugta %1.", "Write failed: no acknowledgement %1.").arg(page) +
               partly;
    case OutcomeKind::VerifyMismatch:
        return w.pick("Áttöltés után eltérés a modulban %1!", "The module differs after the write %1!").arg(page);
    case OutcomeKind::Stopped: {
        QString text = w.pick("%1 megszakítva %2.", "%1 stopped %2.").arg(op, page);
        if (writing && o.phase == WritePhase::Backup)
            text += w.pick(" A modul nem módosult.", " The module was not changed.");
        else if (writing && o.phase == WritePhase::Verifying)
            text += w.pick(" A modul módosult, de nincs ellenőrizve.", " The module was changed but not verified.");
        else if (writing)
            text += partly;
        return text;
    }
    case OutcomeKind::LinkLost: {
        QString text =
            w.pick("%1 sikertelen: megszakadt a soros kapcsolat %2.", "%1 failed: the serial link was lost %2.")
                .arg(op, page);
        if (o.modulePartlyWritten())
            text += partly;
        else if (writing && o.phase == WritePhase::Backup)
            text += w.pick(" A modul nem módosult.", " The module was not changed.");
        else if (writing && o.phase == WritePhase::Verifying)
            text += w.pick(" A modul módosult, de nincs ellenőrizve.", " The module was changed but not verified.");
        return text;
    }
    case OutcomeKind::BackupFailed:
        return w
            .pick("Áttöltés nem indult: a modul mentése sikertelen %1.",
                  "Write not started: the backup of the module failed %1.")
            .arg(page);
    case OutcomeKind::BackupNotSaved: {
        QString text = w.pick("Áttöltés nem indult: a modul mentése nem írható fájlba.",
                              "Write not started: the backup of the module could not be saved.");
        if (!o.backupProblem.isEmpty())
            text += QStringLiteral(" (%1)").arg(o.backupProblem);
        return text;
    }
    }
    return {};
}

} // namespace

bool TransferOutcome::modulePartlyWritten() const {
    if (operation != TransferOperation::Write || phase != WritePhase::Writing)
        return false;
    return kind == OutcomeKind::NoAcknowledgement || kind == OutcomeKind::Stopped || kind == OutcomeKind::LinkLost;
}

QString outcomeText(const TransferOutcome& outcome, TextLanguage language) {
    const Words w{language};
    QString text = sentence(outcome, w);
    if (outcome.retries > 0)
        text += w.pick(" (%1 ismétlés)", " (%1 retries)").arg(outcome.retries);
    if (outcome.operation == TransferOperation::Write && outcome.succeeded() && !outcome.fileOnlySettings.isEmpty())
        text += QLatin1Char(' ') + keptOnlyInFileText(outcome.fileOnlySettings, language);
    // Whatever became of the write, the installer learns which file holds what the module had before.
    if (!outcome.backupFile.isEmpty())
        text += w.pick(" Mentés: %1", " Backup: %1").arg(QFileInfo(outcome.backupFile).fileName());
    return text;
}

QString fileOpenedText(const QString& path, TextLanguage language) {
    return Words{language}.pick("Fájl betöltve: %1", "File opened: %1").arg(QFileInfo(path).fileName());
}

QString fileSavedText(const QString& path, TextLanguage language) {
    return Words{language}.pick("Fájl mentve: %1", "File saved: %1").arg(QFileInfo(path).fileName());
}

QString progressStep(TransferOperation operation, WritePhase phase, TextLanguage language) {
    const Words w{language};
    if (operation == TransferOperation::Write && phase == WritePhase::Backup)
        return w.pick("Mentés írás előtt", "Backup before write");
    if (operation == TransferOperation::Write && phase == WritePhase::Verifying)
        return w.pick("Ellenőrzés írás után", "Verify after write");
    return operationName(operation, w);
}

QString progressText(TransferOperation operation, WritePhase phase, int pagesDone, TextLanguage language) {
    const Words w{language};
    return w.pick("%1: %2/15 lap...", "%1: %2/15 pages...")
        .arg(progressStep(operation, phase, language))
        .arg(pagesDone);
}

} // namespace vantrel
