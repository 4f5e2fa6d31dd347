#pragma once
// Bags of clubs: CSV tables with a row of launch numbers per club, the columns
// of a range table (club, ball_speed_mph, launch_angle_deg, spin_rate_rpm;
// any others are kept in the file and not used). They are read by the range
// table's reader, so `Shotlab range --table`, `--club` and Parview's Club
// choice take a file alike.
//
// Where they lie: the installed tables in <prefix>/share/quillmoor/clubs,
// found from the running program in <prefix>/bin (the build tree holds a copy
// beside its bin/ too), and the user's own bags in Parview's data directory,
// $XDG_DATA_HOME (else ~/.local/share) + /Quillmoor/Parview/clubs.

#include <string>
#include <vector>

namespace quillmoor::lab {

struct Club
{
    std::string name;
    double speedMph = 0.0;
    double launchDeg = 0.0;
    double spinRpm = 0.0; // back spin
    int line = 0;         // in the file, from 1 for the header; 0 for a club not read
};

struct ClubBag
{
    std::string path;
    std::vector<Club> clubs; // in the file's order

    // The club of that name, else the only one whose name differs from it in
    // case alone; null when there is none.
    const Club* find(const std::string& name) const;
    // "Driver, 3-wood, ...", for messages.
    std::string names() const;
};

enum class BagError { None, Unreadable, BadRow };

// Reads the bag at path. Unreadable: the file cannot be read (readTableText),
// is empty or lacks a column; BadRow: a row with a number that is not finite,
// a speed of 0 or below, no club name, or the name of a club before it.
// error says why, naming the line but not the file.
BagError readClubBag(const std::string& path, ClubBag& bag, std::string& error);

// The text of the bag at path with `club` in it: the row of the club of that
// name (exactly) takes the new numbers, keeping its other cells, or a row is
// added at the end; every other line stays byte for byte. A path that does
// not exist gives a new bag of the four columns. A bag that cannot be read
// cleanly is refused (its error, as readClubBag says it): nothing may be
// written over it. `replaced` tells whether a club of that name was there.
BagError bagWithClub(const std::string& path, const Club& club, std::string& text, bool& replaced,
                     std::string& error);

// Writes a bag's text in one step (fileout::Output): a failure leaves the old
// file as it was. False with the reason, not naming the file.
bool writeBag(const std::string& path, const std::string& text, std::string& error);

// A name for a new bag or club: not empty, no line end; a bag's name also no
// '/', not starting with '.'. False with the reason.
bool isClubName(const std::string& name, std::string& why);
bool isBagName(const std::string& name, std::string& why);

// A bag in one of the directories: its name is the file's without ".csv".
struct BagFile
{
    std::string name;
    std::string path;
    bool installed = false;
};

// The installed tables' directory, from the running program; empty when the
// program's own path cannot be found.
std::string installedClubsDir();
// The user's bags' directory, as Parview's data directory is found on Linux.
std::string userBagsDir();
// The default bag: the men's tour averages among the installed tables.
std::string defaultBagPath();
// The *.csv files of dir, by name; none when dir cannot be read.
std::vector<BagFile> bagsIn(const std::string& dir, bool installed);

// A bag the user names: a path (it holds a '/' or ends in ".csv"), else a
// name: the user's bag of that name, else the installed table. False with a
// message listing the bags when no bag has that name.
bool findBag(const std::string& nameOrPath, BagFile& bag, std::string& error);

} // namespace quillmoor::lab
