#include "ShotOutput.h"

#include "JsonNumber.h"
#include "ModelFile.h"
#include "SwingModel.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <system_error>

namespace quillmoor::lab {

namespace {

std::string padded(const std::string& text, std::size_t width, bool right)
{
    const std::string fill(width - std::min(width, displayWidth(text)), ' ');
    return right ? fill + text : text + fill;
}

void writeSection(std::ostream& out, const char* title, ShotKind kind,
                  const std::vector<FileShot>& shots)
{
    std::vector<const ShotField*> fields;
    for (const ShotField& f : shotFields())
        if (f.kind == kind)
            fields.push_back(&f);

    // Rows of cells: the label line, the unit line, then one per shot.
    std::vector<std::vector<std::string>> rows(2);
    rows[0].push_back("File");
    rows[1].push_back("");
    for (const ShotField* f : fields) {
        rows[0].push_back(f->label);
        rows[1].push_back(*f->unit ? std::string("(") + f->unit + ")" : "");
    }
    for (const FileShot& s : shots) {
        if (s.shot.kind != kind)
            continue;
        rows.emplace_back();
        rows.back().push_back(s.file);
        for (const ShotField* f : fields)
            rows.back().push_back(tableCell(*f, s.shot));
    }
    if (rows.size() == 2)
        return;

    std::vector<bool> right(rows[0].size(), true);
    right[0] = false; // the file name
    out << title << '\n';
    writeAlignedRows(out, rows, right);
}

} // namespace

std::size_t displayWidth(const std::string& text)
{
    std::size_t n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80;
    return n;
}

void writeAlignedRows(std::ostream& out, const std::vector<std::vector<std::string>>& rows,
                      const std::vector<bool>& right)
{
    std::vector<std::size_t> widths(right.size(), 0);
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], displayWidth(row[i]));
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i) {
            if (i > 0)
                line += "  ";
            line += padded(row[i], widths[i], right[i]);
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out << line << '\n';
    }
}

void writeShotTable(std::ostream& out, const std::vector<FileShot>& shots)
{
    std::ostringstream tee;
    std::ostringstream putt;
    writeSection(tee, "Tee shots", ShotKind::Tee, shots);
    writeSection(putt, "Putts", ShotKind::Putt, shots);
    out << tee.str();
    if (!tee.str().empty() && !putt.str().empty())
        out << '\n';
    out << putt.str();
}

void writeShotJson(std::ostream& out, const std::vector<FileShot>& shots)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const FileShot& s : shots) {
        nlohmann::ordered_json object;
        object["file"] = s.file;
        object["shot"] = shotKindName(s.shot.kind);
        for (const ShotField& f : shotFields()) {
            if (f.kind != s.shot.kind)
                continue;
            object[f.key] = jsonNumber(f, s.shot);
        }
        list.push_back(std::move(object));
    }
    // A path that is not UTF-8 still gives valid JSON, with U+FFFD in place
    // of the bytes that cannot be shown.
    out << list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

namespace {

// The double nearest the text, which JSON prints as that text.
double jsonText(const std::string& text)
{
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

nlohmann::ordered_json jsonNumber(const ShotField& field, const ShotRecord& record)
{
    const std::string text = plainText(field, record);
    if (text.empty())
        return nullptr;
    if (field.isFlag)
        return text == "true";
    return jsonText(text);
}

nlohmann::ordered_json jsonNumber(double value, int decimals)
{
    if (!std::isfinite(value))
        return nullptr;
    return jsonText(plainText(value, decimals));
}

std::string csvCell(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

void writeShotCsv(std::ostream& out, const std::vector<FileShot>& shots)
{
    out << "file,shot";
    for (const ShotColumn& c : shotColumns())
        out << ',' << c.field().key;
    out << '\n';
    for (const FileShot& s : shots) {
        out << csvCell(s.file) << ',' << shotKindName(s.shot.kind);
        for (const ShotColumn& c : shotColumns())
            out << ',' << c.text(s.shot);
        out << '\n';
    }
}

bool readFreshModel(const std::string& path, SwingModel& model, std::string& reason)
{
    holeCatalogue().clear();
    model = SwingModel(false);
    // Only a model is taken, by the rule the window uses.
    if (modelfile::readModelFile(path, model, reason))
        return true;
    holeCatalogue().clear();
    model = SwingModel(false);
    return false;
}

} // namespace quillmoor::lab
