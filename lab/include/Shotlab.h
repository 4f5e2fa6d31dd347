#pragma once
// Shotlab, the experimenter's console program: its commands as functions, so
// that tests drive them in-process and main() only forwards its arguments.
//
// Each command lives in its own file and adds itself to the command line with
// an add...Command function listed in Shotlab.cpp. Exit status: 0 done, 1 a
// file could not be read (or another failure of the work itself), 2 a usage
// error (unknown option, missing argument).

#include "DispersionPlot.h"
#include "SweepChart.h"
#include "SweepPlot.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace quillmoor::lab {

enum ExitStatus { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

// What runs once the command line has chosen a command; returns the exit status.
using CommandAction = std::function<int(std::ostream& out, std::ostream& err)>;

// Adds one subcommand to app; when it is chosen, its callback sets action.
using CommandRegistrar = void (*)(CLI::App& app, CommandAction& action);

// Pictures need Qt, which this library does not link: the program hands over
// the renderers it was built with, and a command asked for a picture it has
// no renderer for says so.
struct Pictures
{
    ChartRenderer chart = nullptr;
    PlotRenderer plot = nullptr;
    PathThinner thin = nullptr; // with plot: run on the sweep's threads
    DispersionRenderer dispersion = nullptr;
};

// args are the command-line arguments after the program name.
int runShotlab(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const Pictures& pictures = {});

// Shotlab summary [--json | --csv] FILE...
struct SummaryOptions
{
    enum class Format { Table, Json, Csv };
    Format format = Format::Table;
    std::vector<std::string> files;
};
void addSummaryCommand(CLI::App& app, CommandAction& action);
int runSummary(const SummaryOptions& options, std::ostream& out, std::ostream& err);

// Shotlab sweep MODEL --vary KEY=FROM:TO:STEP [--vary ...] [options]
struct SweepOptions
{
    std::string model;
    std::vector<std::string> vary; // "KEY=FROM:TO:STEP"
    std::string mode = "complex";  // --physics (or --mode): simple, complex, realistic
    int jobs = 0;          // 0: one thread per processor
    std::string shard;     // "K/N"; empty: the whole grid
    bool noHeader = false; // CSV without its header row
    std::string csv;       // "-": standard output
    std::string json;      // "-": standard output
    std::string plot;      // FILE.png
    std::string chart;     // "COLUMN:FILE.png"
    bool progress = false; // a progress line on err
};
// Exit status besides the usual ones: interrupted by Ctrl+C (SIGINT), with the
// rows done written.
constexpr int kExitInterrupted = 130;
void addSweepCommand(CLI::App& app, CommandAction& action, const Pictures& pictures);
int runSweepCommand(const SweepOptions& options, std::ostream& out, std::ostream& err,
                    const Pictures& pictures = {});

// Shotlab dispersion MODEL --shots N --sd KEY=SD [--sd ...] [options]
struct DispersionOptions
{
    std::string model;
    std::string shots;           // N, checked by the command
    std::vector<std::string> sd; // "KEY=SD" or "KEY=P%"
    std::string seed;            // empty: kDefaultDispersionSeed
    int jobs = 0;                // 0: one thread per processor
    std::string physics = "complex";
    std::string csv;       // "-": standard output
    std::string json;      // "-": standard output
    std::string plot;      // FILE.png
    bool progress = false; // a progress line on err
};
void addDispersionCommand(CLI::App& app, CommandAction& action, const Pictures& pictures);
int runDispersionCommand(const DispersionOptions& options, std::ostream& out, std::ostream& err,
                         const Pictures& pictures = {});

// Shotlab read-putt [--json] MODEL
struct ReadPuttOptions
{
    bool json = false;
    std::string file;
};
void addReadPuttCommand(CLI::App& app, CommandAction& action);
int runReadPutt(const ReadPuttOptions& options, std::ostream& out, std::ostream& err);

// Shotlab range [--physics P] --speed MPH --launch DEG --spin RPM [options]
// Shotlab range [--physics P] --club NAME [--bag NAME|FILE] [options]
// Shotlab range [--physics P] --table FILE.csv [options]
// The shot's inputs are each optional here: a club of a bag stands in for
// those not given.
struct RangeOptions
{
    enum class Format { Table, Json, Csv };
    std::string physics = "realistic";
    std::optional<double> speed;  // mph
    std::optional<double> launch; // deg
    std::optional<double> spin;   // rpm
    double sideSpin = 0.0;        // rpm
    double direction = 0.0;       // deg
    double wind = 0.0;            // mph
    double windDir = 0.0;         // deg, toward
    double temperature = 70.0;    // F
    double altitude = 0.0;        // ft
    double humidity = 50.0;       // %
    std::string table;            // FILE.csv
    std::string club;             // a club of the bag
    std::string bag;              // a bag's name or file; empty: the installed tour table
    Format format = Format::Table;
};
void addRangeCommand(CLI::App& app, CommandAction& action);
int runRange(const RangeOptions& options, std::ostream& out, std::ostream& err);

} // namespace quillmoor::lab
