#include "transfer/ui/TFormDifferences.h"

#include "common/Errors.h"
#include "common/FileIO.h"
#include "common/ui/Announce.h"
#include "common/ui/Dialogs.h"
#include "ui_TFormDifferences.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>

namespace vantrel {

TFormDifferences::TFormDifferences(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TFormDifferences>()) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("FormDifferences"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    ui->gridDifferences->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(ui->btCopy, &QPushButton::clicked, this, &TFormDifferences::btCopyClick);
    connect(ui->btSaveCsv, &QPushButton::clicked, this, &TFormDifferences::btSaveCsvClick);
    connect(ui->btCloseDifferences, &QPushButton::clicked, this, &QDialog::hide);
}

TFormDifferences::~TFormDifferences() = default;

void TFormDifferences::showDifferences(std::vector<DiffRow> rows, const QString& leftHeading,
                                       const QString& rightHeading) {
    rows_ = std::move(rows);
    leftHeading_ = leftHeading;
    rightHeading_ = rightHeading;
    QTableWidget* grid = ui->gridDifferences;
    grid->setUpdatesEnabled(false);
    grid->clearContents();
    grid->setRowCount(static_cast<int>(rows_.size()));
    grid->setHorizontalHeaderLabels({QStringLiteral("Beállítás"), leftHeading, rightHeading});
    for (int r = 0; r < grid->rowCount(); ++r) {
        const DiffRow& row = rows_[static_cast<std::size_t>(r)];
        // Bytes the editor never shows are named by where they are.
        const QString where = !row.where.isEmpty() ? row.where
                                                   : QStringLiteral("%1 (%2-%3. bájt)")
                                                         .arg(row.field ? row.name : QStringLiteral("Tartalék"))
                                                         .arg(row.offset)
                                                         .arg(row.offset + row.size - 1);
        grid->setItem(r, 0, new QTableWidgetItem(where));
        grid->setItem(r, 1, new QTableWidgetItem(row.left));
        grid->setItem(r, 2, new QTableWidgetItem(row.right));
    }
    grid->resizeColumnsToContents();
    grid->setUpdatesEnabled(true);
    announceText(ui->lbSummary, QStringLiteral("%1 eltérő mező.").arg(rows_.size()));
    show();
    raise();
    activateWindow();
}

void TFormDifferences::btCopyClick() {
    QGuiApplication::clipboard()->setText(diffText(rows_));
}

void TFormDifferences::btSaveCsvClick() {
    const QString fileName = Dialogs::saveFileName(
        this, {QStringLiteral("CSV|*.csv"), QStringLiteral("elteresek.csv"), QStringLiteral("csv")});
    if (fileName.isEmpty())
        return;
    if (const std::optional<FileError> failed =
            writeFileAtomically(fileName, diffCsv(rows_, leftHeading_, rightHeading_, CsvStyle::Spreadsheet).toUtf8()))
        throw EInOutError::fromErrno(failed->err, fileName);
}

} // namespace vantrel
