#include "transfer/ui/TFormDownload.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/ui/Announce.h"
#include "common/ui/Dialogs.h"
#include "monitor/EventLog.h"
#include "params/ui/TSettingsForm.h"
#include "protocol/ModuleLink.h"
#include "report/ImageDiff.h"
#include "report/ParameterJson.h"
#include "report/ParameterSheet.h"
#include "report/ui/SheetPrinter.h"
#include "transfer/Backups.h"
#include "transfer/ParameterFile.h"
#include "transfer/TransferSettings.h"
#include "transfer/ui/PaintPacer.h"
#include "transfer/ui/TFormDifferences.h"
#include "ui_TFormDownload.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPalette>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <utility>

namespace vantrel {

namespace {

constexpr int kBarMaximum = static_cast<int>(PageCount); // one step per page
constexpr int kProgressPaintMs = 200;                    // a pace a person can follow

FileDialogSpec parameterFileSpec() {
    return {QStringLiteral("Vantrel 3 GPRS Data|*.VT3"), QStringLiteral("*.VT3"), QStringLiteral("VT3")};
}

// A JSON file of a parameter set is a few kilobytes; anything far larger is not one.
constexpr qsizetype kJsonLimit = 4 * 1024 * 1024;

const QString kModuleHeading = QStringLiteral("Modul");
const QString kReferenceHeading = QStringLiteral("Utoljára átvitt adatok");
const QString kLockedNote = QStringLiteral("\nÁtvitel közben nem használható.");
const QString kWipeQuestion =
    QStringLiteral("A paramétereket a program indulása óta nem olvasta be a modulból, nem nyitotta meg fájlból, "
                   "nem importálta és nem szerkesztette. Az áttöltés a modul minden beállítását törli (minden "
                   "bájt FF lesz).\n\nBiztosan áttölti?");
const QString kWriteDeclined = QStringLiteral("Áttöltés elmaradt: a modul nem módosult.");

} // namespace

TFormDownload::TFormDownload(ModuleLink& link, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFormDownload>()), link_(link),
      differences_(new TFormDifferences(this)) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("FormDownload"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    transfer_ = std::make_unique<ParameterTransfer>(
        link_, ParameterImage,
        ParameterTransfer::Display{[this](int p) { setBarPosition(p); }, [this](Rgb c) { SetBarColour(c); },
                                   [this](TransferOperation op, WritePhase phase, int pages) {
                                       showProgressLine(progressText(op, phase, pages),
                                                        progressStep(op, phase) + QStringLiteral(" folyamatban..."));
                                   }},
        this);
    // Set here, not in the form file: a button's text, set after, would put back its mnemonic.
    ui->btOpen->setShortcut(QKeySequence::Open);
    ui->btSave->setShortcut(QKeySequence::Save);
    ui->btRead->setShortcut(Qt::Key_F5);
    ui->btWrite->setShortcut(Qt::Key_F6);
    ui->btCompare->setShortcut(Qt::Key_F7);
    connect(ui->btRead, &QPushButton::clicked, this, &TFormDownload::btReadClick);
    connect(ui->btWrite, &QPushButton::clicked, this, &TFormDownload::btWriteClick);
    connect(ui->btCompare, &QPushButton::clicked, this, &TFormDownload::btCompareClick);
    connect(ui->btEdit, &QPushButton::clicked, this, &TFormDownload::btEditClick);
    connect(ui->btOpen, &QPushButton::clicked, this, &TFormDownload::btOpenClick);
    connect(ui->btSave, &QPushButton::clicked, this, &TFormDownload::btSaveClick);
    connect(ui->btStop, &QPushButton::clicked, this, &TFormDownload::btStopClick);
    connect(ui->btClose, &QPushButton::clicked, this, &TFormDownload::btCloseClick);
    connect(ui->btBackups, &QPushButton::clicked, this, &TFormDownload::btBackupsClick);
    connect(ui->btCompareFile, &QPushButton::clicked, this, &TFormDownload::btCompareFileClick);
    connect(ui->btPrint, &QPushButton::clicked, this, &TFormDownload::btPrintClick);
    connect(ui->btExport, &QPushButton::clicked, this, &TFormDownload::btExportClick);
    connect(ui->btImport, &QPushButton::clicked, this, &TFormDownload::btImportClick);

    const WriteOptions options = loadWriteOptions();
    ui->cbBackup->setChecked(options.backup);
    ui->cbVerify->setChecked(options.verify);
    connect(ui->cbBackup, &QCheckBox::toggled, this, &TFormDownload::writeOptionsChanged);
    connect(ui->cbVerify, &QCheckBox::toggled, this, &TFormDownload::writeOptionsChanged);

    progressPaint_ = new PaintPacer({ui->Progress, ui->lbOutcome}, kProgressPaintMs, this);
    progressPaint_->setCatchUp([this] {
        if (pendingProgressLine_)
            showProgress(*std::exchange(pendingProgressLine_, std::nullopt));
    });
    SetBarColour(colour::Green);
    // Room for an outcome of three lines, so the window keeps its size whatever it says. The line is of a
    // fixed size, too: a new text then does not lay the whole window out anew, with every page of a transfer.
    ui->lbOutcome->setFixedHeight(3 * fontMetrics().lineSpacing());
    const QSize size = sizeHint().expandedTo(QSize(320, 276));
    ui->lbOutcome->setFixedWidth(size.width() - layout()->contentsMargins().left() -
                                 layout()->contentsMargins().right());
    setFixedSize(sizeHint().expandedTo(size));
}

TFormDownload::~TFormDownload() = default;

void TFormDownload::SetBarColour(Rgb colour) {
    barColour_ = colour;
    // Through the palette, not a style sheet: a bar drawn by the style-sheet machinery costs many times
    // as much to paint, and it is painted with every page.
    QPalette palette = ui->Progress->palette();
    palette.setColor(QPalette::Highlight, QColor(colour.r, colour.g, colour.b));
    ui->Progress->setPalette(palette);
}

void TFormDownload::setBarPosition(int position) {
    progressPaint_->beforeChange();
    ui->Progress->setPosition(std::clamp(position, 0, kBarMaximum));
}

QString TFormDownload::outcomeLine() const {
    return ui->lbOutcome->text();
}

void TFormDownload::logOutcome(const QString& text) {
    EventLog::append(text);
}

void TFormDownload::showProgressLine(const QString& text, const QString& step) {
    // A screen reader is told of the phase at once, and not of every page: the bar holds the count.
    if (step != ui->lbOutcome->accessibleName())
        ui->lbOutcome->setAccessibleName(step);
    // While pages go by the line is plain text: a selectable one is a small document, laid out and drawn
    // anew with every page.
    if (ui->lbOutcome->textInteractionFlags() != Qt::NoTextInteraction)
        ui->lbOutcome->setTextInteractionFlags(Qt::NoTextInteraction);
    // The text itself waits for the paint.
    pendingProgressLine_ = text;
    if (progressPaint_->beforeChange())
        showProgress(*std::exchange(pendingProgressLine_, std::nullopt));
}

void TFormDownload::showProgress(const QString& text) {
    ui->lbOutcome->setText(text); // quiet: the label has its accessible name, the phase
    setLineStyle(false);
}

void TFormDownload::showOutcomeLine(const QString& text, bool failure) {
    progressPaint_->flush(); // an outcome shows at once, with the bar as it ended
    pendingProgressLine_.reset();
    // An outcome can be selected and copied, into a report of a fault say.
    if (ui->lbOutcome->textInteractionFlags() != Qt::TextSelectableByMouse)
        ui->lbOutcome->setTextInteractionFlags(Qt::TextSelectableByMouse);
    announceText(ui->lbOutcome, text);
    setLineStyle(failure);
}

void TFormDownload::showFileOutcome(const QString& text, bool failure) {
    setBarPosition(kBarMaximum);
    SetBarColour(failure ? colour::Red : colour::Green);
    showOutcomeLine(text, failure);
}

void TFormDownload::fileAction(const QString& failedWords, const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        // The line says it as well as the error box, so that it does not go on showing what came before;
        // nothing was loaded or written, so the bar is empty.
        setBarPosition(0);
        SetBarColour(colour::Green);
        showOutcomeLine(failedWords + QStringLiteral(": ") + Dialogs::withFullStop(userText(error)), true);
        throw;
    }
}

void TFormDownload::setLineStyle(bool failure) {
    // A style sheet set again re-styles the label and lays the window out anew: with every page of a
    // transfer that would be most of what the transfer costs the processor.
    const QString style = failure ? QStringLiteral("color: rgb(192, 0, 0); font-weight: bold;") : QString();
    if (ui->lbOutcome->styleSheet() != style)
        ui->lbOutcome->setStyleSheet(style);
}

QList<QWidget*> TFormDownload::lockedDuringTransfer() const {
    return {ui->btOpen,    ui->btSave,   ui->btRead,   ui->btWrite,       ui->btCompare, ui->btEdit,   ui->btClose,
            ui->btBackups, ui->cbBackup, ui->cbVerify, ui->btCompareFile, ui->btPrint,   ui->btExport, ui->btImport};
}

void TFormDownload::LockButtons() {
    // Stop takes the focus first: it is the one key a person may want while a transfer runs, and a greyed
    // button with the focus would pass it on to the next one, greyed in turn, repainting the row each time.
    focusBeforeLock_ = focusWidget();
    ui->btStop->setFocus(Qt::OtherFocusReason);
    // A greyed button says why it is grey.
    for (QWidget* w : lockedDuringTransfer()) {
        w->setEnabled(false);
        if (!w->toolTip().endsWith(kLockedNote))
            w->setToolTip(w->toolTip() + kLockedNote);
    }
}

void TFormDownload::UnlockButtons() {
    for (QWidget* w : lockedDuringTransfer()) {
        w->setEnabled(true);
        if (w->toolTip().endsWith(kLockedNote))
            w->setToolTip(w->toolTip().chopped(kLockedNote.size()));
    }
    if (focusBeforeLock_ && focusBeforeLock_->isEnabled() && ui->btStop->hasFocus())
        focusBeforeLock_->setFocus(Qt::OtherFocusReason);
    focusBeforeLock_ = nullptr;
}

void TFormDownload::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window only when it is idle: a transfer is ended by Stop, never by leaving it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && transferRunning()) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormDownload::writeOptionsChanged() {
    saveWriteOptions({ui->cbBackup->isChecked(), ui->cbVerify->isChecked()});
}

void TFormDownload::stopTransferThen(std::function<void()> then) {
    if (!transferRunning()) {
        if (then)
            then();
        return;
    }
    if (then)
        afterTransfer_.push_back(std::move(then));
    transfer_->stop();
}

void TFormDownload::runTransfer(const std::function<TransferOutcome()>& operation) {
    if (!link_.linkConnected()) {
        Dialogs::message(this, QStringLiteral(" Nincs soros kapcsolat."));
        return;
    }
    LockButtons();
    try {
        lastOutcome_ = operation();
    } catch (...) {
        UnlockButtons();
        throw;
    }
    UnlockButtons();
    showOutcomeLine(outcomeText(*lastOutcome_), !lastOutcome_->succeeded());
    QString logged = outcomeText(*lastOutcome_);
    if (!currentFile_.isEmpty() && lastOutcome_->operation == TransferOperation::Write)
        logged += QStringLiteral(" Fájl: %1.").arg(currentFile_);
    logOutcome(logged);
    if (lastOutcome_->kind == OutcomeKind::Differences)
        differences_->showDifferences(transfer_->moduleDifferences(), kModuleHeading, kReferenceHeading);
    // What waited for the transfer to end (leaving, disconnecting) runs now, from the event loop, so that
    // it does not run inside the handler that started the transfer.
    for (auto& action : std::exchange(afterTransfer_, {}))
        QTimer::singleShot(0, this, std::move(action));
}

void TFormDownload::btReadClick() {
    runTransfer([this] { return transfer_->read(); });
}

void TFormDownload::btWriteClick() {
    const WriteOptions options{ui->cbBackup->isChecked(), ui->cbVerify->isChecked()};
    // One key must not wipe a module: the fresh image goes out only when the installer says so, and nothing
    // is sent before the answer.
    if (link_.linkConnected() && transfer_->writeNeedsConfirmation() && !Dialogs::question(this, kWipeQuestion)) {
        showOutcomeLine(kWriteDeclined, false);
        return;
    }
    runTransfer([this, options] { return transfer_->write(options); });
}

void TFormDownload::btCompareClick() {
    runTransfer([this] { return transfer_->compare(); });
}

void TFormDownload::btStopClick() {
    transfer_->stop();
}

void TFormDownload::btEditClick() {
    if (!editor_)
        return;
    editor_->LoadFromImage();
    if (editor_->exec() == QDialog::Accepted)
        transfer_->setImageSource(ImageSource::Editor);
}

void TFormDownload::openFile(const QString& fileName) {
    fileAction(QStringLiteral("Betöltés sikertelen"), [&] { ParameterImage = openParameterFile(fileName); });
    transfer_->setImageSource(ImageSource::File);
    showFileOutcome(fileOpenedText(fileName), false);
    currentFile_ = fileName;
    logOutcome(QStringLiteral("Fájl betöltve: %1").arg(fileName));
}

void TFormDownload::openFromFile(const QString& fileName) {
    try {
        // One of our exports given by name is imported, never loaded as raw bytes.
        const FileContent content = readFileStart(fileName, kJsonLimit + 1);
        if (!content.error && isJsonText(content.bytes))
            importFile(fileName);
        else
            openFile(fileName);
    } catch (const std::exception& error) {
        Dialogs::error(this, userText(error));
    }
}

void TFormDownload::btOpenClick() {
    SetBarColour(colour::Green);
    setBarPosition(0);
    const QString fileName = Dialogs::openFileName(this, parameterFileSpec());
    if (fileName.isEmpty())
        return;
    openFile(fileName);
}

void TFormDownload::btBackupsClick() {
    FileDialogSpec spec = parameterFileSpec();
    spec.directory = backups::folder();
    QDir().mkpath(spec.directory);
    const QString fileName = Dialogs::openFileName(this, spec);
    if (fileName.isEmpty())
        return;
    openFile(fileName);
}

void TFormDownload::btSaveClick() {
    const QString fileName = Dialogs::saveFileName(this, parameterFileSpec());
    if (fileName.isEmpty())
        return;
    fileAction(QStringLiteral("Mentés sikertelen"), [&] { saveParameterFile(fileName, ParameterImage); });
    showFileOutcome(fileSavedText(fileName), false);
    currentFile_ = fileName;
    logOutcome(QStringLiteral("Fájl mentve: %1").arg(fileName));
}

void TFormDownload::btCompareFileClick() {
    const QString fileName = Dialogs::openFileName(this, parameterFileSpec());
    if (fileName.isEmpty())
        return;
    ImageBytes other;
    fileAction(QStringLiteral("Összehasonlítás sikertelen"), [&] { other = openParameterFile(fileName); });
    std::vector<DiffRow> rows = diffImages(ParameterImage, other);
    // Coloured as a compare with the module is: red when something differs.
    if (rows.empty()) {
        showFileOutcome(QStringLiteral("Összehasonlítás kész: a fájl egyezik."), false);
        return;
    }
    showFileOutcome(QStringLiteral("Összehasonlítás kész: %1 eltérő mező.").arg(rows.size()), true);
    differences_->showDifferences(std::move(rows), QStringLiteral("Paraméterek"), QFileInfo(fileName).fileName());
}

void TFormDownload::btPrintClick() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(QStringLiteral("Vantrel 5 paraméterlap"));
    if (!Dialogs::print(this, printer))
        return;
    int pages = 0;
    fileAction(QStringLiteral("Nyomtatás sikertelen"), [&] {
        pages = printSheet(printer, parameterSheet(ParameterImage),
                           {QStringLiteral("Vantrel 5 paraméterlap"), currentFile_, QDateTime::currentDateTime()});
    });
    showFileOutcome(QStringLiteral("Nyomtatás kész: %1 oldal.").arg(pages), false);
}

void TFormDownload::btExportClick() {
    const QString fileName = Dialogs::saveFileName(
        this, {QStringLiteral("JSON|*.json|CSV|*.csv"), QStringLiteral("*.json"), QStringLiteral("json")});
    if (fileName.isEmpty())
        return;
    const bool csv = QFileInfo(fileName).suffix().compare(QStringLiteral("csv"), Qt::CaseInsensitive) == 0;
    const QByteArray content =
        csv ? exportCsv(ParameterImage, CsvStyle::Spreadsheet).toUtf8() : exportJson(ParameterImage);
    fileAction(QStringLiteral("Exportálás sikertelen"), [&] {
        if (const std::optional<FileError> failed = writeFileAtomically(fileName, content))
            throw EInOutError::fromErrno(failed->err, fileName);
    });
    showFileOutcome(QStringLiteral("Exportálva: %1").arg(QFileInfo(fileName).fileName()), false);
    logOutcome(QStringLiteral("Exportálva: %1").arg(fileName));
}

void TFormDownload::btImportClick() {
    const QString fileName =
        Dialogs::openFileName(this, {QStringLiteral("JSON|*.json"), QStringLiteral("*.json"), QStringLiteral("json")});
    if (fileName.isEmpty())
        return;
    importFile(fileName);
}

void TFormDownload::importFile(const QString& fileName) {
    const QString failed = QStringLiteral("Importálás sikertelen");
    FileContent content;
    fileAction(failed, [&] {
        content = readFileStart(fileName, kJsonLimit + 1);
        if (content.error)
            throw EInOutError::fromErrno(content.error->err, fileName);
        if (content.bytes.size() > kJsonLimit)
            throw std::runtime_error("A fájl túl nagy ahhoz, hogy paraméterlap legyen");
    });
    // Applied to a copy: a refused file leaves the parameter set as it was.
    ImageBytes imported = ParameterImage;
    if (const std::optional<ParameterError> refused = importJson(content.bytes, imported)) {
        const QString reason = refused->message(MessageLanguage::Hungarian);
        setBarPosition(0);
        SetBarColour(colour::Green);
        showOutcomeLine(failed + QStringLiteral(": ") + Dialogs::withFullStop(reason), true);
        Dialogs::error(this, reason);
        return;
    }
    ParameterImage = imported;
    transfer_->setImageSource(ImageSource::Import);
    showFileOutcome(QStringLiteral("Importálva: %1").arg(QFileInfo(fileName).fileName()), false);
    logOutcome(QStringLiteral("Importálva: %1").arg(fileName));
}

void TFormDownload::btCloseClick() {
    // Hides only: a transfer that runs goes on to its end.
    hide();
}

} // namespace vantrel
