#pragma once
// Shotlab, the experimenter's console program: its commands as functions, so
// that tests drive them in-process and main() only forwards its arguments.
//
// Each command lives in its own file and adds itself to the command line with
// an add...Command function listed in Shotlab.cpp. Exit status: 0 done, 1 a
// file could not be read (or another failure of the work itself), 2 a usage
// error (unknown option, missing argument).

#include <functional>
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

// args are the command-line arguments after the program name.
int runShotlab(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Shotlab summary [--json | --csv] FILE...
struct SummaryOptions
{
    enum class Format { Table, Json, Csv };
    Format format = Format::Table;
    std::vector<std::string> files;
};
void addSummaryCommand(CLI::App& app, CommandAction& action);
int runSummary(const SummaryOptions& options, std::ostream& out, std::ostream& err);

// Shotlab read-putt [--json] MODEL
struct ReadPuttOptions
{
    bool json = false;
    std::string file;
};
void addReadPuttCommand(CLI::App& app, CommandAction& action);
int runReadPutt(const ReadPuttOptions& options, std::ostream& out, std::ostream& err);

} // namespace quillmoor::lab
