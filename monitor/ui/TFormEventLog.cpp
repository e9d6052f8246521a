#include "monitor/ui/TFormEventLog.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/StateColour.h"
#include "common/ui/Dialogs.h"
#include "monitor/EventLog.h"
#include "ui_TFormEventLog.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QPushButton>

namespace vantrel {

namespace {
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kThisRun = QStringLiteral("mostani");
const QString kEarlierRun = QStringLiteral("korábbi");
constexpr int kTimeColumn = 0;
constexpr int kRunColumn = 1;
constexpr int kTextColumn = 2;
} // namespace

TFormEventLog::TFormEventLog(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TFormEventLog>()) {
    ui->setupUi(this);
    ui->gridLog->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    ui->gridLog->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    connect(ui->btRefreshLog, &QPushButton::clicked, this, &TFormEventLog::reload);
    connect(ui->btSaveLog, &QPushButton::clicked, this, &TFormEventLog::btSaveLogClick);
    connect(ui->btCloseLog, &QPushButton::clicked, this, &QDialog::close);
    reload();
}

TFormEventLog::~TFormEventLog() = default;

void TFormEventLog::reload() {
    const QList<EventLog::Entry> entries = EventLog::read();
    const QDateTime runStart = EventLog::runStart();
    ui->gridLog->setRowCount(0);
    ui->gridLog->setRowCount(static_cast<int>(entries.size()));
    const QColor older(colour::Greyed.r, colour::Greyed.g, colour::Greyed.b);
    for (int row = 0; row < ui->gridLog->rowCount(); ++row) {
        const EventLog::Entry& entry = entries[row];
        // This run's entries stand out; those of earlier runs are there for reference, and say so in words
        // as well as in grey.
        const bool earlier = !entry.time.isValid() || entry.time < runStart;
        auto* time = new QTableWidgetItem(entry.time.isValid() ? entry.time.toString(kTimeFormat) : QString());
        auto* run = new QTableWidgetItem(earlier ? kEarlierRun : kThisRun);
        auto* text = new QTableWidgetItem(entry.text);
        if (earlier)
            for (QTableWidgetItem* item : {time, run, text})
                item->setForeground(older);
        ui->gridLog->setItem(row, kTimeColumn, time);
        ui->gridLog->setItem(row, kRunColumn, run);
        ui->gridLog->setItem(row, kTextColumn, text);
    }
    ui->lbLogPath->setText(entries.isEmpty() && !QFileInfo::exists(EventLog::path())
                               ? QStringLiteral("A napló még üres: %1").arg(EventLog::path())
                               : EventLog::path());
}

QString TFormEventLog::listText() const {
    QString text;
    for (int row = 0; row < ui->gridLog->rowCount(); ++row)
        text += ui->gridLog->item(row, kTimeColumn)->text() + QStringLiteral("  ") +
                ui->gridLog->item(row, kTextColumn)->text() + QLatin1Char('\n');
    return text;
}

void TFormEventLog::btSaveLogClick() {
    const QString name = Dialogs::saveFileName(
        this, {QStringLiteral("Szövegfájl (*.txt)|*.txt"), QStringLiteral("naplo.txt"), QStringLiteral("txt")});
    if (name.isEmpty())
        return;
    if (const std::optional<FileError> failed = writeFileAtomically(name, listText().toUtf8()))
        throw EInOutError::fromErrno(failed->err, name);
}

} // namespace vantrel
