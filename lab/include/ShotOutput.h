#pragma once
// Shot numbers of one or more files as a table for people, JSON or CSV. The
// columns follow shotFields(), so every command that prints shot numbers
// prints them alike; nothing here depends on the locale.

#include "ShotSummary.h"

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

class SwingModel;

namespace quillmoor::lab {

struct FileShot
{
    std::string file; // the path as the user gave it
    ShotRecord shot;
};

// Aligned columns with units, one section per kind of shot; "–" for a number
// that is absent. Prints nothing for no shots.
void writeShotTable(std::ostream& out, const std::vector<FileShot>& shots);
// An array of objects: "file", "shot" ("tee" or "putt"), then the keys of that
// kind's fields; absent numbers are null, numbers as plainText prints them.
void writeShotJson(std::ostream& out, const std::vector<FileShot>& shots);
// One header row (file, shot, then the keys of shotColumns()), one row per shot;
// a cell that does not apply or is absent is empty.
void writeShotCsv(std::ostream& out, const std::vector<FileShot>& shots);

// Characters on screen, counting a UTF-8 sequence as one (the dash of an
// absent number).
std::size_t displayWidth(const std::string& text);
// Rows of cells as aligned columns two blanks apart, a column right-aligned
// where `right` says so; trailing blanks are dropped.
void writeAlignedRows(std::ostream& out, const std::vector<std::vector<std::string>>& rows,
                      const std::vector<bool>& right);

// A CSV cell: quoted when it holds a comma, a quote or a line end.
std::string csvCell(const std::string& text);

// Reads path into model as a fresh process would: the hole catalogue is
// emptied first, so no earlier file's hole is seen. Only a model is taken
// (modelfile::readModelFile). On failure returns false and says why in reason
// (the model is then a fresh default model).
bool readFreshModel(const std::string& path, SwingModel& model, std::string& reason);

} // namespace quillmoor::lab
