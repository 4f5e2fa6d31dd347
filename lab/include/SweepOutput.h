#pragma once
// A sweep's rows as CSV, JSON or a table for people. CSV and JSON are written
// row by row as the rows come, so a long sweep does not keep them; the table
// needs every row for its widths.
//
// Columns: the varied keys (named by the key), "shot", the summary numbers of
// the kind of shot swept in the order of shotFields() (both kinds in the order
// of shotColumns() when PuttEnabled is varied), then "status". Cells are
// written as `Shotlab summary` writes them: numbers as plainText prints them
// (the precision of their quantity), yes/no answers as true/false, absent numbers as empty cells (null in
// JSON), and every number of a refused run absent.

#include "Sweep.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quillmoor::lab {

// A summary column: the number for a tee shot and/or for a putt.
using SweepColumn = ShotColumn;
std::vector<SweepColumn> sweepColumns(SweepKinds kinds);

class SweepCsvWriter
{
public:
    SweepCsvWriter(std::ostream& out, const SweepGrid& grid, std::vector<SweepColumn> columns);
    void header();
    void row(const SweepRow& row);

private:
    std::ostream& out_;
    const SweepGrid& grid_;
    std::vector<SweepColumn> columns_;
    std::string line_;
};

// An array of objects with the fields of the CSV columns.
class SweepJsonWriter
{
public:
    SweepJsonWriter(std::ostream& out, const SweepGrid& grid, std::vector<SweepColumn> columns);
    void begin();
    void row(const SweepRow& row);
    void end();

private:
    std::ostream& out_;
    const SweepGrid& grid_;
    std::vector<SweepColumn> columns_;
    bool first_ = true;
};

// Aligned columns with a line of units, "–" for an absent number.
void writeSweepTable(std::ostream& out, const SweepGrid& grid,
                     const std::vector<SweepColumn>& columns, const std::vector<SweepRow>& rows);

} // namespace quillmoor::lab
