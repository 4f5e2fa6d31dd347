#include "ClubBag.h"

#include "FileOutput.h"
#include "Range.h"
#include "ShotOutput.h"
#include "ShotSummary.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace quillmoor::lab {

namespace {

const char* const kBagColumns[] = {"club", "ball_speed_mph", "launch_angle_deg", "spin_rate_rpm"};

std::string lowered(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string trimmed(const std::string& s)
{
    const std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos)
        return {};
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

// The header's cells by name (trimmed), after a byte order mark.
std::map<std::string, std::size_t> headerColumns(const std::string& text)
{
    std::string first = text.substr(0, text.find('\n'));
    if (first.compare(0, 3, "\xEF\xBB\xBF") == 0)
        first.erase(0, 3);
    std::map<std::string, std::size_t> columns;
    const std::vector<std::string> cells = splitCsv(first);
    for (std::size_t i = 0; i < cells.size(); ++i)
        columns.emplace(trimmed(cells[i]), i);
    return columns;
}

BagError parseBag(const std::string& text, ClubBag& bag, std::string& error)
{
    bag.clubs.clear();
    std::vector<RangeRow> rows;
    std::vector<const MeasuredColumn*> measured;
    switch (parseRangeTable(text, rows, measured, error)) {
    case TableError::None:
        break;
    case TableError::Unreadable:
        return BagError::Unreadable;
    case TableError::BadValue:
        return BagError::BadRow;
    }
    if (!headerColumns(text).count("club")) {
        error = "has no column club in its first line";
        return BagError::Unreadable;
    }
    for (const RangeRow& row : rows) {
        const std::string at = "line " + std::to_string(row.line) + ": ";
        if (row.club.empty()) {
            error = at + "club is empty";
            return BagError::BadRow;
        }
        for (const Club& before : bag.clubs) {
            if (before.name == row.club) {
                error = at + "a second club named \"" + row.club + "\" (the first is on line " +
                        std::to_string(before.line) + ")";
                return BagError::BadRow;
            }
        }
        bag.clubs.push_back(
            {row.club, row.launch.speedMph, row.launch.launchDeg, row.launch.spinRpm, row.line});
    }
    return BagError::None;
}

std::string numberText(double v)
{
    return plainText(v, 8);
}

bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

const Club* ClubBag::find(const std::string& name) const
{
    for (const Club& c : clubs)
        if (c.name == name)
            return &c;
    const Club* found = nullptr;
    for (const Club& c : clubs) {
        if (lowered(c.name) == lowered(name)) {
            if (found)
                return nullptr; // "driver" among "Driver" and "DRIVER" names neither
            found = &c;
        }
    }
    return found;
}

std::string ClubBag::names() const
{
    std::string text;
    for (const Club& c : clubs)
        text += (text.empty() ? "" : ", ") + c.name;
    return text;
}

BagError readClubBag(const std::string& path, ClubBag& bag, std::string& error)
{
    bag.path = path;
    bag.clubs.clear();
    std::string text;
    if (!readTableText(path, text, error))
        return BagError::Unreadable;
    return parseBag(text, bag, error);
}

BagError bagWithClub(const std::string& path, const Club& club, std::string& text, bool& replaced,
                     std::string& error)
{
    replaced = false;
    text.clear();
    std::map<std::string, std::string> values = {
        {"club", club.name},
        {"ball_speed_mph", numberText(club.speedMph)},
        {"launch_angle_deg", numberText(club.launchDeg)},
        {"spin_rate_rpm", numberText(club.spinRpm)},
    };
    auto join = [](const std::vector<std::string>& cells) {
        std::string line;
        for (std::size_t i = 0; i < cells.size(); ++i)
            line += (i ? "," : "") + csvCell(cells[i]);
        return line;
    };

    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT) {
        std::vector<std::string> header, row;
        for (const char* column : kBagColumns) {
            header.push_back(column);
            row.push_back(values[column]);
        }
        text = join(header) + '\n' + join(row) + '\n';
        return BagError::None;
    }

    std::string old;
    if (!readTableText(path, old, error))
        return BagError::Unreadable;
    ClubBag bag;
    if (const BagError e = parseBag(old, bag, error); e != BagError::None)
        return e;

    const std::map<std::string, std::size_t> columns = headerColumns(old);
    const std::string eol = old.substr(0, old.find('\n')).find('\r') != std::string::npos
                                ? std::string("\r\n")
                                : std::string("\n");
    std::vector<std::string> cells;
    const Club* existing = nullptr;
    for (const Club& c : bag.clubs)
        if (c.name == club.name)
            existing = &c;

    // The lines as they are; the last is what follows the last line end.
    std::vector<std::string> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = old.find('\n', start);
        lines.push_back(
            old.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    if (existing) {
        std::string& line = lines[static_cast<std::size_t>(existing->line - 1)];
        const bool cr = !line.empty() && line.back() == '\r';
        cells = splitCsv(line);
        std::size_t width = cells.size();
        for (const auto& [name, index] : columns)
            width = std::max(width, index + 1);
        cells.resize(width);
        for (const auto& [name, value] : values)
            if (name != "club")
                cells[columns.at(name)] = value;
        line = join(cells) + (cr ? "\r" : "");
        replaced = true;
    } else {
        std::size_t width = 0;
        for (const auto& [name, index] : columns)
            width = std::max(width, index + 1);
        cells.assign(width, std::string());
        for (const auto& [name, value] : values)
            cells[columns.at(name)] = value;
    }
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += lines[i] + (i + 1 < lines.size() ? "\n" : "");
    if (!existing) {
        if (!text.empty() && text.back() != '\n')
            text += eol;
        text += join(cells) + eol;
    }
    return BagError::None;
}

bool writeBag(const std::string& path, const std::string& text, std::string& error)
{
    std::error_code ec;
    const fs::path dir = fs::path(path).parent_path();
    if (!dir.empty() && !fs::is_directory(dir, ec) && !fs::create_directories(dir, ec)) {
        error = "its folder cannot be made: " + ec.message();
        return false;
    }
    fileout::Output out;
    if (!out.open(path, error))
        return false;
    out.write(text.data(), text.size());
    return out.commit(error);
}

namespace {

bool isOneLineName(const std::string& name, const std::string& what, std::string& why)
{
    if (trimmed(name).empty())
        why = what + " needs a name";
    else if (name != trimmed(name))
        why = what + "'s name does not begin or end with a blank";
    else if (name.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        why = what + "'s name is one line";
    else
        return true;
    return false;
}

} // namespace

bool isClubName(const std::string& name, std::string& why)
{
    return isOneLineName(name, "a club", why);
}

bool isBagName(const std::string& name, std::string& why)
{
    if (!isOneLineName(name, "a bag", why))
        return false;
    if (name.find('/') != std::string::npos || name.front() == '.') {
        why = "a bag's name holds no '/' and does not begin with '.'";
        return false;
    }
    return true;
}

std::string installedClubsDir()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec || self.empty())
        return {};
    return (self.parent_path().parent_path() / "share" / "quillmoor" / "clubs").string();
}

std::string userBagsDir()
{
    // As Qt finds the application's data directory on Linux: XDG_DATA_HOME,
    // else ~/.local/share, then the organisation and the application.
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.local/share";
    else
        base = "/.local/share";
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base + "/Quillmoor/Parview/clubs";
}

std::string defaultBagPath()
{
    const std::string dir = installedClubsDir();
    return dir.empty() ? std::string() : dir + "/tour-men.csv";
}

std::vector<BagFile> bagsIn(const std::string& dir, bool installed)
{
    std::vector<BagFile> bags;
    if (dir.empty())
        return bags;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        std::error_code typeError;
        if (p.extension() != ".csv" || !fs::is_regular_file(p, typeError))
            continue;
        bags.push_back({p.stem().string(), p.string(), installed});
    }
    std::sort(bags.begin(), bags.end(),
              [](const BagFile& a, const BagFile& b) { return a.name < b.name; });
    return bags;
}

bool findBag(const std::string& nameOrPath, BagFile& bag, std::string& error)
{
    if (nameOrPath.find('/') != std::string::npos || endsWith(nameOrPath, ".csv")) {
        bag = {fs::path(nameOrPath).stem().string(), nameOrPath, false};
        return true;
    }
    std::vector<BagFile> all = bagsIn(userBagsDir(), false);
    const std::vector<BagFile> installed = bagsIn(installedClubsDir(), true);
    all.insert(all.end(), installed.begin(), installed.end());
    for (const BagFile& b : all) {
        if (b.name == nameOrPath) {
            bag = b;
            return true;
        }
    }
    std::string names;
    for (const BagFile& b : all)
        names += (names.empty() ? "" : ", ") + b.name + (b.installed ? " (installed)" : "");
    error = "no bag named \"" + nameOrPath +
            "\": " + (names.empty() ? std::string("there are no bags") : "the bags are " + names) +
            " (your own lie in " + userBagsDir() + "; a path names a file)";
    return false;
}

} // namespace quillmoor::lab
