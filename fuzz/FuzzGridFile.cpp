// The grid text file on arbitrary contents, as the main window meets VantrelSetup.ini: loaded into its
// two-column, one-row table of width-20 columns, once as the setup grid (single-line cells) and once with
// multi-line cells.
//
// Checked: loading never fails except with the grid's own error for a table too large; the counts stay
// within 1 and the grid's limit; and what is saved after the load is a fixed point: loading that file into
// a fresh table and saving again gives the same bytes (nothing read is lost or changed by a later save).
// Saving must take time in proportion to what the table holds, never to its area: a header of a million
// rows and a thousand columns is saved in a blink.
#include "fuzz/FuzzSupport.h"
#include "transfer/GridTextFile.h"

#include <QFile>
#include <cstdint>

namespace {

using namespace vantrel;
using fuzz::require;

constexpr int WidestSavedTable = 1024;

CellTable setupTable(bool multiline) {
    CellTable table(2, 1);
    table.setColWidth(0, 20);
    table.setColWidth(1, 20);
    table.Multilinecells = multiline;
    return table;
}

QByteArray readBack(const QString& path) {
    QFile file(path);
    require(file.open(QIODevice::ReadOnly), "the saved grid file cannot be read back");
    return file.readAll();
}

void loadSaveLoad(const QString& input, bool multiline) {
    CellTable table = setupTable(multiline);
    try {
        LoadCellsFromFile(table, input);
    } catch (const EGridError&) {
        return; // a header beyond the grid's limit: the caller keeps its defaults
    }
    require(table.ColCount() >= 1 && table.ColCount() <= CellTable::MaxCount, "column count out of range");
    require(table.RowCount() >= 1 && table.RowCount() <= CellTable::MaxCount, "row count out of range");

    // Saving writes one width line per column: a header that asks for a million columns makes a file of
    // that many lines, correct but too slow to repeat for every input. Such tables have a test of their own.
    if (table.ColCount() > WidestSavedTable)
        return;

    const QString first = fuzz::scratchFile("first.ini");
    const QString second = fuzz::scratchFile("second.ini");
    SaveCellsToFile(table, first);
    CellTable again = setupTable(multiline);
    LoadCellsFromFile(again, first);
    require(again.ColCount() == table.ColCount() && again.RowCount() == table.RowCount(),
            "the counts changed on the way through a file");
    SaveCellsToFile(again, second);
    require(readBack(first) == readBack(second), "saving what was loaded is not a fixed point");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString input = fuzz::scratchFile("VantrelSetup.ini");
    fuzz::writeScratchFile(input, QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    loadSaveLoad(input, false);
    loadSaveLoad(input, true);
    return 0;
}
