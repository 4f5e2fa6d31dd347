// Shotlab dispersion: many shots of a model with some of its values spread,
// and what they do as a whole.
//
// As `Shotlab sweep`: everything the command line can get wrong is checked
// before the first shot and before any file is touched (exit 2); an
// unreadable model or an output that cannot be created exits with 1, also
// before the first shot; outputs are written beside their target and renamed
// over it; Ctrl+C stops the run with the shots done written (exit 130). A run
// in which the routine refuses every shot exits with 1, its rows written.

#include "CommandFiles.h"
#include "Dispersion.h"
#include "DispersionOutput.h"
#include "OutputStreams.h"
#include "PhysicsNames.h"
#include "ShotOutput.h"
#include "Shotlab.h"
#include "SwingModel.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <limits>
#include <optional>
#include <unistd.h>

namespace quillmoor::lab {

namespace {

// Digits only: no sign, no blanks, no fraction.
template <typename T> bool parseWhole(const std::string& text, T& value)
{
    const char* first = text.c_str();
    const char* last = first + text.size();
    const auto res = std::from_chars(first, last, value);
    return !text.empty() && std::isdigit(static_cast<unsigned char>(text[0])) &&
           res.ec == std::errc() && res.ptr == last;
}

} // namespace

void addDispersionCommand(CLI::App& app, CommandAction& action, const Pictures& pictures)
{
    auto options = std::make_shared<DispersionOptions>();
    CLI::App* cmd = app.add_subcommand(
        "dispersion", "Run many shots of a model with some of its values drawn from normal "
                      "distributions, and say how they spread and how often they finish on the "
                      "green, near the hole and in it");
    cmd->add_option("MODEL", options->model, "Data file with the model, as Parview saves it")
        ->required();
    cmd->add_option("--shots", options->shots,
                    "How many shots to run, 1 to " + std::to_string(kMaxDispersionShots))
        ->type_name("N")
        ->required();
    cmd->add_option("--sd", options->sd,
                    "Draw a data-file key (TeeBallSpeed, TeeLaunchAngle, TeeBackSpin, "
                    "TeeSideSpin, TeeTargetAngle, PuttBallSpeed, PuttTargetAngle, WindSpeed, "
                    "WindDir, ...) from a normal distribution around the model's value with this "
                    "standard deviation, in the key's unit or as a percentage of the value "
                    "(PuttBallSpeed=3%); repeat for more keys")
        ->type_name("KEY=SD")
        ->required()
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    cmd->add_option("--seed", options->seed,
                    "Seed of the draws, a whole number (default " +
                        std::to_string(kDefaultDispersionSeed) +
                        "): the same seed gives the same shots")
        ->type_name("S");
    cmd->add_option("--jobs", options->jobs, "Threads to run on (default: one per processor)")
        ->type_name("N")
        ->check(CLI::Range(1, 256));
    cmd->add_option("--physics", options->physics, "Physics of every shot (default complex)")
        ->type_name(physicsChoices())
        ->check(CLI::IsMember(physicsNames()));
    cmd->add_option("--csv", options->csv,
                    "Write the shots' rows to FILE as CSV, as `Shotlab sweep --csv` writes "
                    "them (- for standard output)")
        ->type_name("FILE");
    cmd->add_option("--json", options->json,
                    "Write {\"shots\": [rows], \"summary\": {...}} to FILE (- for standard "
                    "output)")
        ->type_name("FILE");
    cmd->add_option("--plot", options->plot,
                    "Draw the plan view of the hole with the landing and final points and their "
                    "68 % and 95 % ellipses, as a PNG picture")
        ->type_name("FILE.png");
    cmd->footer(
        "Each shot starts from the model with every --sd key drawn afresh, as the data file "
        "would hold the value; a shot's draws depend only on the seed, its number and the key, "
        "whatever --jobs. The summary (mean and SD of the numbers, the ellipses of the landing "
        "and final points, the shares on the green, within 10 ft and holed with 95 % Wilson "
        "intervals) is printed as a table unless an output goes to standard output. A progress "
        "line is shown on standard error when it is a terminal.\n"
        "Ctrl+C stops the run: the shots under way finish and the shots done are written.\n"
        "Exit status: 0 done, 1 the model cannot be read, an output cannot be written or every "
        "shot was refused, 2 a usage error (nothing is written), 130 stopped by Ctrl+C.");
    cmd->callback([options, &action, pictures] {
        action = [options, pictures](std::ostream& out, std::ostream& err) {
            options->progress = err.rdbuf() == std::cerr.rdbuf() && ::isatty(STDERR_FILENO);
            return runDispersionCommand(*options, out, err, pictures);
        };
    });
}

int runDispersionCommand(const DispersionOptions& options, std::ostream& out, std::ostream& err,
                         const Pictures& pictures)
{
    // The command line, before anything is read or written.
    DispersionSetup setup;
    setup.model = options.model;
    std::size_t shots = 0;
    if (!parseWhole(options.shots, shots) || shots == 0 || shots > kMaxDispersionShots)
        return usageError(err, "dispersion", "--shots takes a whole number of 1 to " +
                                   std::to_string(kMaxDispersionShots) + ", not \"" +
                                   options.shots + "\"");
    setup.shots = shots;
    if (!options.seed.empty() && !parseWhole(options.seed, setup.seed))
        return usageError(err, "dispersion", "--seed takes a whole number of 0 to " +
                                   std::to_string(std::numeric_limits<std::uint64_t>::max()) +
                                   ", not \"" + options.seed + "\"");
    if (options.jobs < 0)
        return usageError(err, "dispersion", "--jobs must be at least 1");
    if (!shotModeFromName(options.physics, setup.mode))
        return usageError(err, "dispersion",
                          "--physics is " + physicsChoices() + ", not \"" + options.physics + "\"");
    std::string error;
    std::vector<SpreadOption> spreadOptions;
    for (const std::string& text : options.sd) {
        SpreadOption o;
        if (!parseSpreadOption(text, o, error))
            return usageError(err, "dispersion", error);
        spreadOptions.push_back(o);
    }
    if (spreadOptions.empty())
        return usageError(err, "dispersion", "--sd is required");

    const bool plotting = !options.plot.empty();
    if (plotting) {
        if (!pictures.dispersion)
            return usageError(err, "dispersion", "--plot needs Qt, and this Shotlab was built without it");
        if (options.plot == "-")
            return usageError(err, "dispersion", "--plot needs a file name");
    }
    // One file, one output; and no output over the model.
    std::vector<std::pair<std::string, std::string>> targets;
    if (!options.csv.empty())
        targets.push_back({"--csv", options.csv});
    if (!options.json.empty())
        targets.push_back({"--json", options.json});
    if (plotting)
        targets.push_back({"--plot", options.plot});
    error = checkOutputTargets(targets, options.model);
    if (!error.empty())
        return usageError(err, "dispersion", error);

    SwingModel model(false);
    std::string reason;
    if (!readFreshModel(options.model, model, reason)) {
        err << "Shotlab dispersion: " << options.model << ": " << reason << '\n';
        return kExitFailure;
    }
    // Spreads in percent need the model's values.
    if (!resolveSpreads(spreadOptions, model, setup.spreads, error))
        return usageError(err, "dispersion", error);
    SweepPlan plan;
    plan.mode = setup.mode;
    plan.jobs = static_cast<unsigned>(options.jobs);
    if (!makeDispersionPlan(setup.spreads, setup.shots, setup.seed, plan, error))
        return usageError(err, "dispersion", error);
    const std::vector<SweepColumn> columns = sweepColumns(sweepKinds(model, plan.grid));

    // From here on Ctrl+C stops cleanly, so no temporary file is left behind.
    const std::shared_ptr<void> guard = catchInterrupts();

    // The outputs, created before the first shot so a wrong path costs nothing.
    std::unique_ptr<CommandOutput> csvFile, jsonFile, plotFile;
    using Output = std::pair<const std::string*, std::unique_ptr<CommandOutput>*>;
    for (const Output& o : {Output{&options.csv, &csvFile}, Output{&options.json, &jsonFile},
                            Output{&options.plot, &plotFile}}) {
        if (o.first->empty())
            continue;
        *o.second = makeCommandOutput(*o.first, out);
        if (!(*o.second)->open(error)) {
            err << "Shotlab dispersion: " << *o.first << ": " << error << '\n';
            return kExitFailure;
        }
    }
    std::optional<SweepCsvWriter> csv;
    if (csvFile) {
        csv.emplace(csvFile->stream(), plan.grid, columns);
        csv->header();
    }
    std::optional<DispersionJsonWriter> json;
    if (jsonFile) {
        json.emplace(jsonFile->stream(), plan.grid, columns);
        json->begin();
    }

    DispersionStats stats(model);
    std::string firstRefusal; // why, when no shot can be run
    DispersionPlot plot;
    plot.model = &model;
    const std::unique_ptr<CommandProgress> progress = makeProgressLine(err, "shots");
    SweepHooks hooks;
    hooks.cancel = &interruptFlag();
    hooks.row = [&](const SweepRow& row) {
        if (csv)
            csv->row(row);
        if (json)
            json->row(row);
        stats.add(row);
        if (!row.shot && firstRefusal.empty())
            firstRefusal = row.status;
        if (plotting && row.shot && row.gridIndex < kMaxDispersionPlotShots) {
            if (row.kind == ShotKind::Tee) {
                if (row.shot->tee.landingPoint)
                    plot.landing.push_back(*row.shot->tee.landingPoint);
                plot.finish.push_back(row.shot->tee.finalPoint);
            } else {
                plot.finish.push_back(row.shot->putt.finalPoint);
            }
        }
    };
    if (options.progress)
        hooks.progress = [&](std::size_t done, std::size_t total) { progress->show(done, total); };

    const SweepOutcome outcome = runSweep(model, plan, hooks);
    progress->clear();

    if (json)
        json->end(setup, stats);
    int status = outcome.cancelled ? kExitInterrupted : kExitOk;
    for (CommandOutput* file : {csvFile.get(), jsonFile.get()}) {
        if (file && !file->commit(error)) {
            err << "Shotlab dispersion: " << file->path() << ": " << error << '\n';
            status = kExitFailure;
        }
    }
    if (options.csv != "-" && options.json != "-") {
        writeDispersionTable(out, setup, stats);
        status = finishOutput(out, err, "Shotlab dispersion", status);
    }
    if (plotFile) {
        for (double p : kEllipseProbabilities) {
            if (const auto e = probabilityEllipse(stats.landing, p))
                plot.landingEllipses.push_back(*e);
            if (const auto e = probabilityEllipse(stats.finish, p))
                plot.finishEllipses.push_back(*e);
        }
        plot.title = std::to_string(stats.shots) + " " +
                     (stats.kind == ShotKind::Putt ? "putts" : "tee shots") + " of " +
                     fileName(options.model) + ", " + shotModeName(setup.mode) + " physics, with " +
                     spreadPhrase(setup.spreads);
        if (stats.ran > 0)
            plot.title += "\n" + dispersionOdds(stats);
        std::string png;
        bool written = pictures.dispersion(plot, png, error);
        if (written) {
            plotFile->stream().write(png.data(), static_cast<std::streamsize>(png.size()));
            written = plotFile->commit(error);
        }
        if (!written) {
            err << "Shotlab dispersion: " << options.plot << ": " << error << '\n';
            status = kExitFailure;
        }
    }
    // Rows of refusals are no dispersion: say so rather than report success.
    if (stats.shots > 0 && stats.ran == 0) {
        err << "Shotlab dispersion: no shot could be run: " << firstRefusal << '\n';
        if (status == kExitOk)
            status = kExitFailure;
    }
    if (outcome.cancelled)
        err << "Shotlab dispersion: interrupted after " << outcome.done << " of " << outcome.total
            << " shots; the shots done are written\n";
    return status;
}

} // namespace quillmoor::lab
