#include "transfer/GridTextFile.h"

#include "common/FileIO.h"
#include "common/Cp1250.h"

#include <QList>
#include <limits>

namespace vantrel {

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr char TAB = '\t';
constexpr char BS = '\b';
constexpr char EndOfText = 0x1A;

// A text with line breaks is written on one line: CR as TAB and LF as BS.
QString encodeCell(const QString& text) {
    if (!text.contains(QLatin1Char(CR)))
        return text;
    QString out = text;
    out.replace(QLatin1Char(CR), QLatin1Char(TAB));
    out.replace(QLatin1Char(LF), QLatin1Char(BS));
    return out;
}

QString decodeCell(const QString& encoded, bool multiline) {
    QString text = encoded;
    if (text.contains(QLatin1Char(BS))) {
        text.replace(QLatin1Char(TAB), QLatin1Char(CR));
        text.replace(QLatin1Char(BS), QLatin1Char(LF));
    }
    if (!multiline) {
        const qsizetype cr = text.indexOf(QLatin1Char(CR));
        if (cr >= 0)
            text.truncate(cr);
    }
    return text;
}

// Lines end at CR; an LF right after a CR belongs to that end, any other LF to the line; 0x1A ends the text.
QList<QByteArray> splitLines(const QByteArray& bytes) {
    QList<QByteArray> lines;
    QByteArray line;
    bool open = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == EndOfText)
            break;
        if (c == CR) {
            lines.append(line);
            line.clear();
            open = false;
            if (i + 1 < bytes.size() && bytes[i + 1] == LF)
                ++i;
            continue;
        }
        line.append(c);
        open = true;
    }
    if (open)
        lines.append(line);
    return lines;
}

// Splits off the field before the first comma: (field, rest). Without a comma the field is empty and the
// text stays whole.
std::pair<QString, QString> takeField(const QString& text) {
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma < 0)
        return {QString(), text};
    return {text.left(comma), text.mid(comma + 1)};
}

// A grid file larger than this is not one of ours: it is refused as a file that cannot be opened.
constexpr qsizetype kGridFileLimit = 16 << 20;

QByteArray readWholeFile(const QString& fileName) {
    const FileContent content = readFileStart(fileName, kGridFileLimit + 1);
    if (content.error && content.error->stage == FileError::Stage::Read)
        throw EInOutError::fromErrno(content.error->err, fileName);
    if (content.error || content.bytes.size() > kGridFileLimit)
        throw EGridError(QStringLiteral("Cannot open file ") + fileName);
    return content.bytes;
}

} // namespace

CellTable::CellTable(int colCount, int rowCount) : colCount_(1), rowCount_(1) {
    setColCount(colCount);
    setRowCount(rowCount);
}

void CellTable::setColCount(int count) {
    if (count > MaxCount)
        throw EGridError(QStringLiteral("Grid too large for operation"));
    colCount_ = std::max(1, count);
}

void CellTable::setRowCount(int count) {
    if (count > MaxCount)
        throw EGridError(QStringLiteral("Grid too large for operation"));
    rowCount_ = std::max(1, count);
}

void CellTable::setCell(int col, int row, const QString& text) {
    if (text.isEmpty())
        cells_.remove({row, col});
    else
        cells_[{row, col}] = text;
}

QList<CellTable::FilledCell> CellTable::filledCells() const {
    QList<FilledCell> cells;
    cells.reserve(cells_.size());
    for (auto it = cells_.constBegin(); it != cells_.constEnd(); ++it)
        cells.append({it.key().second, it.key().first, it.value()});
    return cells;
}

int readGridNumber(const QString& field) {
    qsizetype i = 0;
    while (i < field.size() && field[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == QLatin1Char('+') || field[i] == QLatin1Char('-'))) {
        negative = field[i] == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    for (; i < field.size() && field[i] >= QLatin1Char('0') && field[i] <= QLatin1Char('9'); ++i) {
        // Saturate rather than wrap: an absurd number must stay absurd, not turn into a small valid one.
        value = std::min<qint64>(value * 10 + (field[i].unicode() - '0'), std::numeric_limits<int>::max());
    }
    return static_cast<int>(negative ? -value : value);
}

void SaveCellsToFile(const CellTable& table, const QString& fileName) {
    QString text = QStringLiteral("%1,%2\r\n").arg(table.ColCount()).arg(table.RowCount());
    for (int c = 0; c < table.ColCount(); ++c)
        text += QStringLiteral("cw %1,%2\r\n").arg(c).arg(table.colWidth(c));
    for (const CellTable::FilledCell& cell : table.filledCells()) {
        if (cell.col < 0 || cell.col >= table.ColCount() || cell.row < 0 || cell.row >= table.RowCount())
            continue; // left over from before the table shrank: not part of it
        text += QStringLiteral("%1,%2,").arg(cell.col).arg(cell.row) + encodeCell(cell.text) + QStringLiteral("\r\n");
    }
    const std::optional<FileError> failed = writeFileAtomically(fileName, toCp1250(text));
    if (!failed)
        return;
    if (failed->stage == FileError::Stage::Write)
        throw EInOutError::fromErrno(failed->err, fileName);
    throw EGridError(QStringLiteral("Cannot Create ") + fileName);
}

void LoadCellsFromFile(CellTable& table, const QString& fileName) {
    const QList<QByteArray> lines = splitLines(readWholeFile(fileName));
    if (lines.isEmpty())
        return;
    const QString header = fromCp1250(lines.first());
    if (!header.isEmpty()) {
        const auto [cols, rows] = takeField(header);
        table.setColCount(readGridNumber(cols));
        table.setRowCount(readGridNumber(rows));
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString line = fromCp1250(lines[i]);
        if (line.startsWith(QLatin1String("cw"))) {
            const qsizetype comma = line.indexOf(QLatin1Char(','));
            const int col = comma < 0 ? 0 : readGridNumber(line.mid(3, std::max<qsizetype>(0, comma - 3)));
            const int width = readGridNumber(line.mid(comma + 1));
            if (col >= 0 && col < table.ColCount())
                table.setColWidth(col, width);
            continue;
        }
        const auto [colField, afterCol] = takeField(line);
        const auto [rowField, encoded] = takeField(afterCol);
        const int col = readGridNumber(colField);
        const int row = readGridNumber(rowField);
        if (col >= 0 && col < table.ColCount() && row >= 0 && row < table.RowCount())
            table.setCell(col, row, decodeCell(encoded, table.Multilinecells));
    }
}

} // namespace vantrel
