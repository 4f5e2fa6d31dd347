#pragma once
// A dispersion's report: the summary as a table for people or as JSON, and
// the shots' rows nested in the JSON object beside it. The rows themselves
// are those of a sweep (SweepOutput.h): the drawn keys, the shot numbers,
// status.

#include "Dispersion.h"
#include "SweepOutput.h"

#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace quillmoor::lab {

// The summary in aligned tables: the setup and the spreads, the mean and SD
// of the numbers, the ellipses, the shares with their intervals, and the
// verdict in words.
void writeDispersionTable(std::ostream& out, const DispersionSetup& setup,
                          const DispersionStats& stats);

// The summary as one JSON object, laid out as dump(2) lays it out.
std::string dispersionSummaryJson(const DispersionSetup& setup, const DispersionStats& stats);

// {"shots": [rows...], "summary": {...}}: the rows as SweepJsonWriter writes
// them, one level deeper, as they come; the summary at the end.
class DispersionJsonWriter
{
public:
    DispersionJsonWriter(std::ostream& out, const SweepGrid& grid,
                         std::vector<SweepColumn> columns);
    void begin();
    void row(const SweepRow& row);
    void end(const DispersionSetup& setup, const DispersionStats& stats);

private:
    // Indents every line after the first by two blanks and holds back a line
    // end until more follows, so that text written through it nests.
    class Nesting : public std::streambuf
    {
    public:
        explicit Nesting(std::ostream& out) : out_(out) {}

    protected:
        int_type overflow(int_type c) override;
        std::streamsize xsputn(const char* s, std::streamsize n) override;

    private:
        std::ostream& out_;
        bool lineEnd_ = false;
    };

    std::ostream& out_;
    Nesting nesting_;
    std::ostream nested_;
    SweepJsonWriter rows_;
};

} // namespace quillmoor::lab
