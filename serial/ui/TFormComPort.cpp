// The COM port chooser window.
#include "serial/ui/TFormComPort.h"

#include "common/ui/Dialogs.h"
#include "protocol/ModuleProbe.h"
#include "serial/ports/PortChoice.h"
#include "serial/ports/PortEntry.h"
#include "serial/ports/PortEnumerator.h"
#include "ui_TFormComPort.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTimer>
#include <chrono>
#include <future>

namespace vantrel {

using namespace ports;

namespace {

constexpr int kRefreshMs = 1000;
constexpr int kTextIndent = 5;
constexpr int kProbeMs = 1000; // a module answers a status request well within a second

// Colours of a line: present or absent, selected or not. Unselected lines sit on the window's face colour.
const QColor kPresentText(0, 0, 0);
const QColor kAbsentText(128, 32, 32);
const QColor kSelectedPresentText(255, 255, 255);
const QColor kSelectedAbsentText(255, 192, 96);
const QColor kSelectedBackground(0, 0, 128);

// Hands every cell paint to the window's own drawing.
class PortCellDelegate : public QStyledItemDelegate {
public:
    PortCellDelegate(const TFormComPort& form, QObject* parent) : QStyledItemDelegate(parent), form_(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        painter->save();
        form_.StringGrid1DrawCell(*painter, option.rect, index.row(), index.column(),
                                  option.state.testFlag(QStyle::State_Selected));
        painter->restore();
    }

private:
    const TFormComPort& form_;
};

} // namespace

TFormComPort::TFormComPort(PortEnumerator& enumerator, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFormComPort>()), enumerator_(enumerator) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    FormCreate();
}

TFormComPort::~TFormComPort() = default;

void TFormComPort::FormCreate() {
    QTableWidget* grid = ui->StringGrid1;
    grid->setItemDelegate(new PortCellDelegate(*this, grid));
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    grid->setPalette(palette);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(ui->jporthozzadsa1);
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this, grid](const QPoint& pos) { PopupMenu1->popup(grid->viewport()->mapToGlobal(pos)); });
    connect(ui->jporthozzadsa1, &QAction::triggered, this, &TFormComPort::jporthozzadsa1Click);

    // A selection move, not a move of the current cell: the view makes the first row current (without
    // selecting it) when it takes the focus, and that is no choice of the installer's.
    connect(grid->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, grid] {
        if (updatingGrid_)
            return;
        const QModelIndexList rows = grid->selectionModel()->selectedRows();
        if (!rows.isEmpty())
            StringGrid1SelectCell(rows.constFirst().row());
    });
    // A double click on a port chooses it at once, as OK would.
    connect(grid, &QTableWidget::cellDoubleClicked, this, [this] {
        if (PortIndex_ > 0)
            Button1Click();
    });
    connect(ui->Button1, &QPushButton::clicked, this, &TFormComPort::Button1Click);
    connect(ui->btSearch, &QPushButton::clicked, this, [this] { searchModules(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kRefreshMs);
    connect(Timer1, &QTimer::timeout, this, &TFormComPort::Timer1Timer);
    Timer1->start();

    PortIndex_ = 0;
    PortNev_.clear();
    PortHNev_.clear();
}

void TFormComPort::setHeading(const QString& text) {
    ui->Label1->setText(text);
}

void TFormComPort::setAddCaption(const QString& text) {
    ui->jporthozzadsa1->setText(text);
}

QString TFormComPort::lineAt(int row) const {
    const QTableWidgetItem* item = ui->StringGrid1->item(row, 0);
    return item ? item->text() : QString();
}

void TFormComPort::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // The first activation: the list is complete by the time the window appears. Done here rather than
    // on the toolkit's activation notice, which a window manager may delay or withhold.
    FormActivate();
}

void TFormComPort::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (!isActiveWindow()) {
        // Only a box of the program opened above this window counts as another window of the program;
        // switching to another program and back is no activation.
        QWidget* modal = QApplication::activeModalWidget();
        awayToOwnWindow_ = modal != nullptr && modal != this;
    } else if (awayToOwnWindow_) {
        awayToOwnWindow_ = false;
        FormActivate();
    }
}

void TFormComPort::FormActivate() {
    ++activations_;
    enumerator_.CollectPortCandidates();
    Timer1Timer();
    Timer1->start();
    GridBeallit(DefaultPort_);
    UpdatePanelHints();
}

void TFormComPort::Timer1Timer() {
    if (!isVisible())
        return;
    enumerator_.ListSerialPorts(ListedPorts_);
    StringgridInit();
}

void TFormComPort::StringgridInit() {
    QTableWidget* grid = ui->StringGrid1;
    const qsizetype userCount = UserPorts_.size();
    const qsizetype lineCount = userCount + ListedPorts_.size();
    updatingGrid_ = true;
    grid->setRowCount(static_cast<int>(std::max<qsizetype>(1, lineCount)));
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QString line = row < userCount   ? UserPorts_[row]
                             : row < lineCount ? ListedPorts_[row - userCount]
                                               : QString();
        QTableWidgetItem* item = grid->item(row, 0);
        if (item == nullptr) {
            item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            grid->setItem(row, 0, item);
        }
        const QString spoken = EntryName(line) + presenceOf(line) + markOf(line);
        if (item->text() != line || item->data(Qt::AccessibleTextRole).toString() != spoken) {
            item->setText(line);
            item->setData(Qt::AccessibleTextRole, spoken);
        }
    }
    updatingGrid_ = false;
}

void TFormComPort::StringGrid1DrawCell(QPainter& painter, const QRect& rect, int row, int column, bool selected) const {
    try {
        const QTableWidget* grid = ui->StringGrid1;
        if (row < 0 || row >= grid->rowCount() || column < 0 || column >= grid->columnCount())
            return;
        const QString line = lineAt(row);
        if (line.isEmpty())
            return;
        const bool present = line.front() == QLatin1Char('+');
        const QColor faceColour = palette().color(QPalette::Window);
        const QColor& text =
            selected ? (present ? kSelectedPresentText : kSelectedAbsentText) : (present ? kPresentText : kAbsentText);
        painter.setFont(font());
        painter.fillRect(rect, selected ? kSelectedBackground : faceColour);
        painter.setPen(text);
        const QFontMetrics metrics(painter.font());
        const int top = rect.top() + (rect.height() - metrics.height()) / 2;
        painter.drawText(QPoint(rect.left() + kTextIndent, top + metrics.ascent()),
                         QStringLiteral(" - ") + EntryName(line) + presenceOf(line) + markOf(line));
    } catch (...) {
        // A failed paint must not take the window down; the next paint tries again.
    }
}

void TFormComPort::StringGrid1SelectCell(int row) {
    if (ui->StringGrid1->columnCount() < 1 || row < 0 || row >= ui->StringGrid1->rowCount())
        return;
    const QString line = lineAt(row);
    ui->Panel1->setText(EntryName(line));
    ui->Panel2->setText(EntryDescription(line));
    UpdatePanelHints();
    Kivalaszt(row);
}

void TFormComPort::Kivalaszt(int row) {
    const QString line = lineAt(row);
    PortIndex_ = PortNumberOf(line);
    if (PortIndex_ > 0) {
        PortNev_ = QStringLiteral("COM%1").arg(PortIndex_);
        PortHNev_ = DisplayNameOf(line);
    }
}

int TFormComPort::visibleRowCount() const {
    const int rowHeight = ui->StringGrid1->verticalHeader()->defaultSectionSize();
    return rowHeight > 0 ? ui->StringGrid1->height() / rowHeight : 1;
}

void TFormComPort::selectRow(int row) {
    updatingGrid_ = true;
    ui->StringGrid1->setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    updatingGrid_ = false;
}

void TFormComPort::GridBeallit(const QString& name) {
    QTableWidget* grid = ui->StringGrid1;
    int found = -1;
    // An empty name would match the spare row of an empty list; it names no port.
    if (!name.isEmpty()) {
        for (int row = 0; row < grid->rowCount() && found < 0; ++row)
            if (EntryName(lineAt(row)) == name)
                found = row;
    }
    if (found < 0) {
        updatingGrid_ = true;
        grid->selectionModel()->clear();
        updatingGrid_ = false;
        ui->Panel1->clear();
        ui->Panel2->clear();
        // With no line selected, OK must not return a port chosen earlier and no longer shown.
        PortIndex_ = 0;
        return;
    }
    selectRow(found);
    StringGrid1SelectCell(found);
    // The scroll range follows the row count only at the next layout pass; lay out now so the chosen
    // row can be brought to the middle at once.
    grid->doItemsLayout();
    grid->verticalScrollBar()->setValue(CentredTopRow(found, grid->rowCount(), visibleRowCount()));
}

void TFormComPort::Button1Click() {
    Timer1->stop();
    if (PortIndex_ > 0)
        accept();
    else
        reject();
}

void TFormComPort::done(int result) {
    Timer1->stop();
    QDialog::done(result);
}

void TFormComPort::jporthozzadsa1Click() {
    const std::optional<QString> answer = Dialogs::input(this, windowTitle(), prompt_, QString());
    // The focus is back from the box: that is an activation, and it comes before the answer is used, so
    // the added port, not the default one, ends up selected. The toolkit's own late notice of the same
    // return must not activate the window a second time.
    awayToOwnWindow_ = false;
    if (isVisible())
        FormActivate();
    if (!answer || answer->isEmpty())
        return;
    const int number = LeadingInteger(*answer);
    if (number < LowestUserPort || number > HighestUserPort)
        return;
    UserPorts_ << UserPortLine(number);
    StringgridInit();
    GridBeallit(EntryName(UserPorts_.constLast()));
}

QString TFormComPort::presenceOf(const QString& line) {
    // The colour says it at a glance; the words say it to everyone, a screen reader included.
    if (line.isEmpty())
        return QString();
    return line.front() == QLatin1Char('+') ? QStringLiteral(" (jelen van)") : QStringLiteral(" (nincs jelen)");
}

QString TFormComPort::markOf(const QString& line) const {
    const int number = PortNumberOf(line);
    const QString mark = number > 0 ? marks_.value(QStringLiteral("COM%1").arg(number)) : QString();
    return mark.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(mark);
}

QStringList TFormComPort::searchModules() {
    QStringList names;
    for (const QStringList* lines : {&UserPorts_, &ListedPorts_})
        for (const QString& line : *lines) {
            const int number = PortNumberOf(line);
            if (!line.isEmpty() && line.front() == QLatin1Char('+') && number > 0)
                names << QStringLiteral("COM%1").arg(number);
        }
    names.removeDuplicates();
    // The probe runs beside the event loop, so the window keeps painting; the user waits at most about a
    // second, all ports at once.
    ui->btSearch->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::future<QList<ProbeResult>> probing =
        std::async(std::launch::async, [names] { return probePorts(names, kProbeMs); });
    while (probing.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    const QList<ProbeResult> results = probing.get();
    QApplication::restoreOverrideCursor();
    ui->btSearch->setEnabled(true);

    marks_.clear();
    answered_.clear();
    for (const ProbeResult& result : results) {
        switch (result.outcome) {
        case ProbeResult::Outcome::Answered:
            marks_[result.port] = QStringLiteral("modul válaszol");
            answered_ << result.port;
            break;
        case ProbeResult::Outcome::Busy:
            marks_[result.port] = QStringLiteral("foglalt, kihagyva");
            break;
        case ProbeResult::Outcome::NoAnswer:
            marks_[result.port] = QStringLiteral("nem válaszol");
            break;
        case ProbeResult::Outcome::OpenFailed:
            marks_[result.port] = QStringLiteral("nem nyitható meg");
            break;
        }
    }
    StringgridInit();
    ui->StringGrid1->viewport()->update();
    // The first port that answered, by its line (the list shows friendly names, not bare COM names).
    const int first = answered_.isEmpty() ? 0 : PortNumberOf(answered_.first());
    for (int row = 0; first > 0 && row < ui->StringGrid1->rowCount(); ++row)
        if (PortNumberOf(lineAt(row)) == first) {
            GridBeallit(EntryName(lineAt(row)));
            break;
        }
    return answered_;
}

void TFormComPort::UpdatePanelHints() {
    for (QLabel* panel : {ui->Panel1, ui->Panel2}) {
        const bool tooWide = QFontMetrics(panel->font()).horizontalAdvance(panel->text()) > panel->width();
        panel->setToolTip(tooWide ? panel->text() : QString());
        // A text that does not fit keeps its beginning in view; the tooltip shows the rest.
        panel->setAlignment(tooWide ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    }
}

} // namespace vantrel
