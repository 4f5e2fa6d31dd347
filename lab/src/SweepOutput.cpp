#include "SweepOutput.h"

#include "JsonNumber.h"
#include "ShotOutput.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace quillmoor::lab {

std::vector<SweepColumn> sweepColumns(SweepKinds kinds)
{
    std::vector<SweepColumn> columns;
    if (kinds.tee && kinds.putt) {
        for (const ShotColumn& c : shotColumns())
            columns.push_back({c.tee, c.putt});
        return columns;
    }
    for (const ShotField& f : shotFields()) {
        if (kinds.tee && f.kind == ShotKind::Tee)
            columns.push_back({&f, nullptr});
        if (kinds.putt && f.kind == ShotKind::Putt)
            columns.push_back({nullptr, &f});
    }
    return columns;
}

SweepCsvWriter::SweepCsvWriter(std::ostream& out, const SweepGrid& grid,
                               std::vector<SweepColumn> columns)
    : out_(out), grid_(grid), columns_(std::move(columns))
{
}

void SweepCsvWriter::header()
{
    line_.clear();
    for (const SweepAxis& a : grid_.axes())
        line_ += a.key + ',';
    line_ += "shot";
    for (const SweepColumn& c : columns_) {
        line_ += ',';
        line_ += c.field().key;
    }
    line_ += ",status\n";
    out_ << line_;
}

void SweepCsvWriter::row(const SweepRow& row)
{
    line_.clear();
    for (double v : row.values)
        line_ += exactText(v) + ',';
    line_ += shotKindName(row.kind);
    for (const SweepColumn& c : columns_) {
        line_ += ',';
        if (row.shot)
            line_ += c.text(*row.shot);
    }
    line_ += ',';
    line_ += csvCell(row.status);
    line_ += '\n';
    out_ << line_;
}

SweepJsonWriter::SweepJsonWriter(std::ostream& out, const SweepGrid& grid,
                                 std::vector<SweepColumn> columns)
    : out_(out), grid_(grid), columns_(std::move(columns))
{
}

void SweepJsonWriter::begin()
{
    out_ << '[';
    first_ = true;
}

void SweepJsonWriter::row(const SweepRow& row)
{
    nlohmann::ordered_json object;
    const auto& axes = grid_.axes();
    for (std::size_t a = 0; a < axes.size(); ++a)
        object[axes[a].key] = row.values[a];
    object["shot"] = shotKindName(row.kind);
    for (const SweepColumn& c : columns_) {
        // A refused run, or a number of the other kind of shot, has none.
        const ShotField* f =
            row.shot ? (row.shot->kind == ShotKind::Tee ? c.tee : c.putt) : nullptr;
        object[c.field().key] = f ? jsonNumber(*f, *row.shot) : nullptr;
    }
    object["status"] = row.status;

    // Laid out as dump(2) lays out the whole array.
    std::string text = object.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    std::string indented = first_ ? "\n  " : ",\n  ";
    for (char ch : text) {
        indented += ch;
        if (ch == '\n')
            indented += "  ";
    }
    out_ << indented;
    first_ = false;
}

void SweepJsonWriter::end()
{
    out_ << (first_ ? "]\n" : "\n]\n");
}

SweepTableWriter::SweepTableWriter(std::ostream& out, const SweepGrid& grid,
                                   std::vector<SweepColumn> columns, std::size_t sizingRows)
    : out_(out), columns_(std::move(columns)), sizingRows_(sizingRows), held_(2)
{
    auto addColumn = [&](const std::string& label, const std::string& unit, bool alignRight) {
        held_[0].push_back(label);
        held_[1].push_back(unit.empty() ? "" : "(" + unit + ")");
        right_.push_back(alignRight);
    };
    for (const SweepAxis& a : grid.axes())
        addColumn(a.key, keyUnit(a.key), true);
    addColumn("Shot", "", false);
    for (const SweepColumn& c : columns_)
        addColumn(c.field().label, c.field().unit, true);
    addColumn("Status", "", false);
    widths_.assign(right_.size(), 0);
}

void SweepTableWriter::row(const SweepRow& row)
{
    std::vector<std::string> line;
    line.reserve(right_.size());
    for (double v : row.values)
        line.push_back(exactText(v));
    line.push_back(shotKindName(row.kind));
    for (const SweepColumn& c : columns_) {
        // A refused run, or a column of the other kind, has no number.
        const ShotField* f = row.kind == ShotKind::Tee ? c.tee : c.putt;
        line.push_back(row.shot && f ? tableCell(*f, *row.shot) : kAbsentCell);
    }
    line.push_back(row.status);
    if (released_) {
        writeLine(line);
        return;
    }
    held_.push_back(std::move(line));
    if (held_.size() - 2 >= sizingRows_)
        release();
}

void SweepTableWriter::end()
{
    if (!released_)
        release();
}

void SweepTableWriter::release()
{
    for (const auto& line : held_)
        for (std::size_t i = 0; i < line.size() && i < widths_.size(); ++i)
            widths_[i] = std::max(widths_[i], displayWidth(line[i]));
    for (const auto& line : held_)
        writeLine(line);
    held_.clear();
    held_.shrink_to_fit();
    released_ = true;
}

void SweepTableWriter::writeLine(const std::vector<std::string>& cells)
{
    std::string text;
    for (std::size_t i = 0; i < cells.size() && i < widths_.size(); ++i) {
        if (i > 0)
            text += "  ";
        const std::string fill(widths_[i] - std::min(widths_[i], displayWidth(cells[i])), ' ');
        text += right_[i] ? fill + cells[i] : cells[i] + fill;
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    text += '\n';
    out_ << text;
}

void writeSweepTable(std::ostream& out, const SweepGrid& grid,
                     const std::vector<SweepColumn>& columns, const std::vector<SweepRow>& rows)
{
    SweepTableWriter table(out, grid, columns, rows.size() + 1);
    for (const SweepRow& row : rows)
        table.row(row);
    table.end();
}

} // namespace quillmoor::lab
