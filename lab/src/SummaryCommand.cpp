// Shotlab summary: the shot numbers of result files.
//
// Every file is read into a fresh model, as Trajex would read it in a fresh
// process. A file that cannot be read is named on standard error and the
// others are still printed; the exit status is then 1. A file without any
// shot is mentioned on standard error and is not a failure; what standard
// output cannot take is one (exit 1).

#include "OutputStreams.h"
#include "ShotOutput.h"
#include "Shotlab.h"
#include "SwingModel.h"

#include <CLI/CLI.hpp>
#include <memory>

namespace quillmoor::lab {

void addSummaryCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<SummaryOptions>();
    CLI::App* cmd = app.add_subcommand(
        "summary", "Carry, apex, hang time, side and the other numbers of every shot in result "
                   "files");
    CLI::Option* json = cmd->add_flag_callback(
        "--json", [options] { options->format = SummaryOptions::Format::Json; },
        "Print a JSON array of objects (absent numbers are null)");
    CLI::Option* csv = cmd->add_flag_callback(
        "--csv", [options] { options->format = SummaryOptions::Format::Csv; },
        "Print CSV with one header row (cells that do not apply are empty)");
    json->excludes(csv);
    cmd->add_option("FILE", options->files, "Data files with results, as Trajex writes them")
        ->required();
    cmd->footer("Without --json or --csv the numbers are printed as a table with units, "
                "\"\u2013\" where a number does not exist (a shot that never landed).\n"
                "Exit status: 0 done, 1 a file could not be read (the others are still "
                "printed) or standard output could not be written, 2 a usage error.");
    cmd->callback([options, &action] {
        action = [options](std::ostream& out, std::ostream& err) {
            return runSummary(*options, out, err);
        };
    });
}

int runSummary(const SummaryOptions& options, std::ostream& out, std::ostream& err)
{
    int status = kExitOk;
    std::vector<FileShot> shots;
    SwingModel model(false);
    for (const std::string& file : options.files) {
        std::string reason;
        if (!readFreshModel(file, model, reason)) {
            err << "Shotlab: " << file << ": " << reason << '\n';
            status = kExitFailure;
            continue;
        }
        const std::vector<ShotRecord> records = summarizeShots(model);
        if (records.empty())
            err << "Shotlab: " << file << ": no tee shot or putt in this file\n";
        for (const ShotRecord& r : records)
            shots.push_back({file, r});
    }

    switch (options.format) {
    case SummaryOptions::Format::Table:
        writeShotTable(out, shots);
        break;
    case SummaryOptions::Format::Json:
        writeShotJson(out, shots);
        break;
    case SummaryOptions::Format::Csv:
        writeShotCsv(out, shots);
        break;
    }
    return finishOutput(out, err, "Shotlab", status);
}

} // namespace quillmoor::lab
