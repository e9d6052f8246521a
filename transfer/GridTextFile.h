// The grid text file: how a table of text cells is written to a text file and read back. The main window
// keeps the chosen port in such a file (VantrelSetup.ini).
#pragma once

#include "common/Errors.h"

#include <QList>
#include <QMap>
#include <QString>
#include <utility>

namespace vantrel {

// The grid's own errors: a file that cannot be created or opened.
class EGridError : public VantrelError {
public:
    using VantrelError::VantrelError;
};

// A table of text cells addressed (column, row) from 0, with a width per column.
class CellTable {
public:
    CellTable(int colCount = 1, int rowCount = 1);

    int ColCount() const { return colCount_; }
    int RowCount() const { return rowCount_; }
    // A count below 1 becomes 1. A table larger than a grid can hold raises EGridError.
    void setColCount(int count);
    void setRowCount(int count);

    QString cell(int col, int row) const { return cells_.value({row, col}); }
    void setCell(int col, int row, const QString& text);

    // The cells that hold text, row by row and within a row by column: the order of a grid file.
    struct FilledCell {
        int col;
        int row;
        QString text;
    };
    QList<FilledCell> filledCells() const;

    int colWidth(int col) const { return widths_.value(col, DefaultColWidth); }
    void setColWidth(int col, int width) { widths_[col] = width; }

    // Whether a cell may hold several lines; when not, a loaded text keeps only its first line.
    bool Multilinecells = false;

    static constexpr int DefaultColWidth = 64;
    static constexpr int MaxCount = 1 << 20;

private:
    int colCount_;
    int rowCount_;
    // Only cells that hold text, keyed (row, column): saving visits them in file order without walking a
    // table that may be a million cells wide and high.
    QMap<std::pair<int, int>, QString> cells_;
    QMap<int, int> widths_;
};

// Writes the table (header, column widths, non-empty cells) as Windows-1250 text with CR LF line ends,
// replacing the file in one step. "Cannot Create <name>" (EGridError) when the file cannot be created;
// EInOutError when writing fails.
void SaveCellsToFile(const CellTable& table, const QString& fileName);

// Reads a file of that format into the table; cells the file does not name keep their text. "Cannot open
// file <name>" (EGridError) when it cannot be opened or is no regular file, the table then unchanged; EInOutError when
// reading fails. Malformed lines are not errors: numbers degrade to 0, cells outside the table are skipped.
void LoadCellsFromFile(CellTable& table, const QString& fileName);

// The number at the start of a field: leading blanks, an optional sign, digits up to the first other
// character; 0 when there are no digits.
int readGridNumber(const QString& field);

} // namespace vantrel
