#pragma once
// A sweep's rows as CSV, JSON or a table for people, each written row by row
// as the rows come, so a long sweep does not keep them; the table holds only
// the first rows, which size its columns.
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

// Rows a table holds to size its columns.
constexpr std::size_t kTableSizingRows = 1000;

// Aligned columns with a line of units, "–" for an absent number. The titles
// and the first sizingRows rows set the widths and are written together once
// that many have come (or at end()); each later row is written at once in
// those widths, a wider cell taking the room it needs on its own line.
class SweepTableWriter
{
public:
    SweepTableWriter(std::ostream& out, const SweepGrid& grid, std::vector<SweepColumn> columns,
                     std::size_t sizingRows = kTableSizingRows);
    void row(const SweepRow& row);
    void end();

private:
    void writeLine(const std::vector<std::string>& cells);
    void release();

    std::ostream& out_;
    std::vector<SweepColumn> columns_;
    std::size_t sizingRows_;
    std::vector<bool> right_;
    std::vector<std::size_t> widths_;
    std::vector<std::vector<std::string>> held_; // titles, units, the first rows
    bool released_ = false;
};

// The whole table of rows at once.
void writeSweepTable(std::ostream& out, const SweepGrid& grid,
                     const std::vector<SweepColumn>& columns, const std::vector<SweepRow>& rows);

} // namespace quillmoor::lab
