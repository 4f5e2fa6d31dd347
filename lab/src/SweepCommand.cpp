// Shotlab sweep: the shot of a model over a grid of parameter values.
//
// Everything the command line can get wrong is checked before the first shot
// and before any file is touched (exit 2); an unreadable model or an output
// that cannot be created exits with 1, also before the first shot. An output
// that names the model would destroy it: a usage error. Output files are
// written as OutputStreams.h says (a regular file beside its target and
// renamed over it at the end, so a failure never leaves half a file; a FIFO
// or a device written into). Ctrl+C stops the sweep: the shots under way
// finish, the rows done (the first ones of the grid) are written, and the
// exit status is 130; a second Ctrl+C, SIGTERM or SIGHUP ends the program at
// once, removing the temporary files first.

#include "CommandFiles.h"
#include "FileOutput.h"
#include "OutputStreams.h"
#include "ShotOutput.h"
#include "Shotlab.h"
#include "Sweep.h"
#include "SweepChart.h"
#include "SweepOutput.h"
#include "SwingModel.h"

#include <CLI/CLI.hpp>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace quillmoor::lab {

namespace {

// Set by Ctrl+C while a sweep runs; the sweep polls it.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void onInterrupt(int signal)
{
    if (interrupted.exchange(true))
        fileout::endBySignal(signal); // the second Ctrl+C
}

std::string durationText(double seconds)
{
    const long s = static_cast<long>(seconds + 0.5);
    if (s < 60)
        return std::to_string(s) + " s";
    return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
}

// "\r12345 of 100000 points (12 %), 41 s, about 5 min 2 s left", on one line.
class ProgressLine final : public CommandProgress
{
public:
    explicit ProgressLine(std::ostream& err, const char* unit = "points")
        : err_(err), unit_(unit), start_(Clock::now())
    {
    }

    void show(std::size_t done, std::size_t total) override
    {
        const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
        std::string text = std::to_string(done) + " of " + std::to_string(total) + " " + unit_ +
                           " (" + std::to_string(total ? done * 100 / total : 100) + " %), " +
                           durationText(elapsed);
        if (done > 0 && done < total)
            text += ", about " +
                    durationText(elapsed / static_cast<double>(done) *
                                 static_cast<double>(total - done)) +
                    " left";
        const std::size_t width = text.size();
        if (width < shown_)
            text.append(shown_ - width, ' ');
        shown_ = width;
        err_ << '\r' << text << std::flush;
    }

    void clear() override
    {
        if (shown_ > 0)
            err_ << '\r' << std::string(shown_, ' ') << '\r' << std::flush;
        shown_ = 0;
    }

private:
    using Clock = std::chrono::steady_clock;
    std::ostream& err_;
    const char* unit_;
    Clock::time_point start_;
    std::size_t shown_ = 0;
};

// Lines a chart draws at most; beyond, its colours could not be told apart.
constexpr std::size_t kMaxChartLines = 64;

struct ChartRequest
{
    std::string column;
    std::string file;
};

} // namespace

int usageError(std::ostream& err, const char* command, const std::string& message)
{
    err << "Shotlab " << command << ": " << message << "\nRun 'Shotlab " << command
        << " --help' for more information.\n";
    return kExitUsage;
}

std::string fileName(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

void addSweepCommand(CLI::App& app, CommandAction& action, const Pictures& pictures)
{
    auto options = std::make_shared<SweepOptions>();
    CLI::App* cmd = app.add_subcommand(
        "sweep", "Run the shot of a model for every point of a grid of parameter values and "
                 "print the shot numbers of each");
    cmd->add_option("MODEL", options->model, "Data file with the model, as Parview saves it")
        ->required();
    cmd->add_option("--vary", options->vary,
                    "Vary a data-file key (TeeBallSpeed, TeeLaunchAngle, TeeBackSpin, WindSpeed, "
                    "PuttTargetAngle, ...) over FROM, FROM+STEP, ... up to TO; repeat for every "
                    "combination, the first varying slowest")
        ->type_name("KEY=FROM:TO:STEP")
        ->required()
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    cmd->add_option("--physics,--mode", options->mode,
                    "Physics of every run (default complex); --mode is another name")
        ->type_name("simple|complex|realistic")
        ->check(CLI::IsMember({"simple", "complex", "realistic"}));
    cmd->add_option("--jobs", options->jobs, "Threads to run on (default: one per processor)")
        ->type_name("N")
        ->check(CLI::Range(1, 256));
    cmd->add_option("--shard", options->shard,
                    "Run only every N-th grid point starting at the K-th (1 <= K <= N), so that N "
                    "jobs share one sweep")
        ->type_name("K/N")
        ->check([](const std::string& text) {
            // An empty K/N would otherwise pass for no --shard at all.
            return text.empty() ? std::string("takes K/N with 1 <= K <= N, not \"\"")
                                : std::string();
        });
    cmd->add_flag("--no-header", options->noHeader,
                  "Leave out the CSV header row, for shards that are concatenated");
    cmd->add_option("--csv", options->csv, "Write the rows to FILE as CSV (- for standard output)")
        ->type_name("FILE");
    cmd->add_option("--json", options->json,
                    "Write the rows to FILE as a JSON array of objects (- for standard output)")
        ->type_name("FILE");
    cmd->add_option("--plot", options->plot,
                    "Draw the plan and elevation views of the hole with the path of every point "
                    "overlaid, coloured by grid order, as a PNG picture")
        ->type_name("FILE.png");
    cmd->add_option("--chart", options->chart,
                    "Draw COLUMN (carry_yd, apex_yd, ...) against the first varied key, one line "
                    "per value of the others, as a PNG picture")
        ->type_name("COLUMN:FILE.png");
    cmd->footer(
        "Each row holds the varied keys, shot (tee or putt), the shot numbers of `Shotlab "
        "summary` and status (ok, or why the run was refused; a refused point does not stop the "
        "sweep). The numbers are exactly those of Trajex followed by `Shotlab summary` for the "
        "same inputs, whatever --jobs. Without --csv or --json the rows are printed as a "
        "table. A progress line is shown on standard error when it is a terminal.\n"
        "Ctrl+C stops the sweep: the runs under way finish and the rows done are written.\n"
        "Exit status: 0 done, 1 the model cannot be read or an output cannot be written, "
        "2 a usage error (nothing is written), 130 stopped by Ctrl+C (the rows done are "
        "written).");
    cmd->callback([options, &action, pictures] {
        action = [options, pictures](std::ostream& out, std::ostream& err) {
            options->progress = err.rdbuf() == std::cerr.rdbuf() && ::isatty(STDERR_FILENO);
            return runSweepCommand(*options, out, err, pictures);
        };
    });
}

int runSweepCommand(const SweepOptions& options, std::ostream& out, std::ostream& err,
                    const Pictures& pictures)
{
    // The command line, before anything is read or written.
    SweepPlan plan;
    std::string error;
    std::vector<SweepAxis> axes;
    for (const std::string& text : options.vary) {
        SweepAxis axis;
        if (!parseSweepAxis(text, axis, error))
            return usageError(err, "sweep", error);
        axes.push_back(std::move(axis));
    }
    if (axes.empty())
        return usageError(err, "sweep", "--vary is required");
    if (!plan.grid.setAxes(std::move(axes), error))
        return usageError(err, "sweep", error);
    if (!options.shard.empty() && !parseSweepShard(options.shard, plan.shard, error))
        return usageError(err, "sweep", error);
    if (!shotModeFromName(options.mode, plan.mode))
        return usageError(err, "sweep", "--physics is simple, complex or realistic, not \"" +
                                   options.mode + "\"");
    if (options.jobs < 0)
        return usageError(err, "sweep", "--jobs must be at least 1");
    plan.jobs = static_cast<unsigned>(options.jobs);
    if (options.noHeader && options.csv.empty())
        return usageError(err, "sweep", "--no-header leaves out the CSV header row: it needs --csv");
    const bool plotting = !options.plot.empty();
    if (plotting) {
        if (!pictures.plot || !pictures.thin)
            return usageError(err, "sweep", "--plot needs Qt, and this Shotlab was built without it");
        if (options.plot == "-")
            return usageError(err, "sweep", "--plot needs a file name");
        const std::size_t paths = plan.shard.size(plan.grid.size());
        if (paths > kMaxPlotPaths)
            return usageError(err, "sweep", "--plot overlays at most " + std::to_string(kMaxPlotPaths) +
                                       " paths; this sweep has " + std::to_string(paths) +
                                       " points (a larger STEP, or --shard, makes fewer)");
    }

    std::optional<ChartRequest> chart;
    if (!options.chart.empty()) {
        const std::size_t colon = options.chart.find(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 == options.chart.size())
            return usageError(err, "sweep", "--chart takes COLUMN:FILE.png, not \"" + options.chart + "\"");
        chart = ChartRequest{options.chart.substr(0, colon), options.chart.substr(colon + 1)};
        if (!pictures.chart)
            return usageError(err, "sweep", "--chart needs Qt, and this Shotlab was built without it");
    }
    if (chart && chart->file == "-")
        return usageError(err, "sweep", "--chart needs a file name");
    // One file, one output; and no output over the model, which it would destroy.
    std::vector<std::pair<std::string, std::string>> targets;
    if (!options.csv.empty())
        targets.push_back({"--csv", options.csv});
    if (!options.json.empty())
        targets.push_back({"--json", options.json});
    if (chart)
        targets.push_back({"--chart", chart->file});
    if (plotting)
        targets.push_back({"--plot", options.plot});
    error = checkOutputTargets(targets, options.model);
    if (!error.empty())
        return usageError(err, "sweep", error);

    SwingModel model(false);
    std::string reason;
    if (!readFreshModel(options.model, model, reason)) {
        err << "Shotlab sweep: " << options.model << ": " << reason << '\n';
        return kExitFailure;
    }

    const std::vector<SweepColumn> columns = sweepColumns(sweepKinds(model, plan.grid));
    std::unique_ptr<SweepChartBuilder> chartBuilder;
    if (chart) {
        const auto column = std::find_if(columns.begin(), columns.end(), [&](const SweepColumn& c) {
            return chart->column == c.field().key;
        });
        if (column == columns.end()) {
            std::string known;
            for (const SweepColumn& c : columns)
                known += std::string(" ") + c.field().key;
            return usageError(err, "sweep", "--chart: no column \"" + chart->column +
                                       "\" in this sweep; its columns are" + known);
        }
        const std::size_t lines = plan.grid.size() / plan.grid.axes()[0].values.size();
        if (lines > kMaxChartLines)
            return usageError(err, "sweep", "--chart draws one line per combination of the keys after "
                                   "the first, at most " +
                                       std::to_string(kMaxChartLines) + "; this grid has " +
                                       std::to_string(lines));
        chartBuilder = std::make_unique<SweepChartBuilder>(
            plan.grid, *column,
            std::string(column->field().label) + " against " + plan.grid.axes()[0].key +
                " \u00b7 " + fileName(options.model));
    }

    // From here on no way out leaves a temporary file behind.
    const std::shared_ptr<void> guard = catchInterrupts();

    // The outputs, opened before the first shot so a wrong path costs nothing.
    std::unique_ptr<FileStream> csvFile, jsonFile, plotFile, chartFile;
    using Output = std::pair<const std::string*, std::unique_ptr<FileStream>*>;
    const std::string noFile;
    for (const Output& o :
         {Output{&options.csv, &csvFile}, Output{&options.json, &jsonFile},
          Output{&options.plot, &plotFile}, Output{chart ? &chart->file : &noFile, &chartFile}}) {
        if (o.first->empty() || *o.first == "-")
            continue;
        *o.second = std::make_unique<FileStream>();
        if (!(*o.second)->open(*o.first, error)) {
            err << "Shotlab sweep: " << *o.first << ": " << error << '\n';
            return kExitFailure;
        }
    }
    std::ostream* csvStream = options.csv == "-" ? &out : csvFile ? &csvFile->stream() : nullptr;
    std::ostream* jsonStream = options.json == "-" ? &out
                               : jsonFile          ? &jsonFile->stream()
                                                   : nullptr;
    std::optional<SweepCsvWriter> csv;
    if (csvStream) {
        csv.emplace(*csvStream, plan.grid, columns);
        if (!options.noHeader)
            csv->header();
    }
    std::optional<SweepJsonWriter> json;
    if (jsonStream) {
        json.emplace(*jsonStream, plan.grid, columns);
        json->begin();
    }
    // Without a file, a table on standard output, written as the rows come.
    std::optional<SweepTableWriter> table;
    if (!csvStream && !jsonStream)
        table.emplace(out, plan.grid, columns);

    ProgressLine progress(err);
    SweepHooks hooks;
    hooks.cancel = &interrupted;
    bool outputFailed = false;
    hooks.row = [&](const SweepRow& row) {
        if (csv)
            csv->row(row);
        if (json)
            json->row(row);
        // An output that no longer takes rows (a full disk) ends the sweep:
        // the rest could not be written anyway.
        if (!outputFailed && ((csvStream && !*csvStream) || (jsonStream && !*jsonStream))) {
            outputFailed = true;
            interrupted.store(true);
        }
        if (chartBuilder)
            chartBuilder->add(row);
        if (table) {
            table->row(row);
            if (options.progress) {
                // Rows and the progress line may share a terminal: the line
                // makes way, and shows again at its next turn.
                progress.clear();
                out.flush();
            }
        }
    };
    // The paths only for a plot, thinned on the thread that ran them, each
    // in its own slot: a sweep without --plot keeps nothing but the rows.
    SweepPlot plot;
    if (plotting) {
        plot.model = &model;
        plot.legend = sweepLegend(plan.grid);
        plot.paths.resize(plan.shard.size(plan.grid.size()));
        const SweepShard shard = plan.shard;
        const PathThinner thin = pictures.thin;
        hooks.afterRun = [&plot, shard, thin](std::size_t gridIndex, const SwingModel& run,
                                              bool ok) {
            if (ok)
                plot.paths[(gridIndex - (shard.index - 1)) / shard.count] =
                    thin(run.currentShot());
        };
    }
    if (options.progress)
        hooks.progress = [&](std::size_t done, std::size_t total) { progress.show(done, total); };

    const SweepOutcome outcome = runSweep(model, plan, hooks);
    progress.clear();

    if (json)
        json->end();
    int status = outputFailed ? kExitFailure : outcome.cancelled ? kExitInterrupted : kExitOk;
    auto failed = [&](const std::string& file, const std::string& why) {
        err << "Shotlab sweep: " << file << ": " << why << '\n';
        status = kExitFailure;
    };
    if (table)
        table->end();
    if (table || csvStream == &out || jsonStream == &out)
        status = finishOutput(out, err, "Shotlab sweep", status);
    if (csvFile && !csvFile->commit(error))
        failed(options.csv, error);
    if (jsonFile && !jsonFile->commit(error))
        failed(options.json, error);
    // The pictures' data into their files, opened before the first shot.
    const std::pair<FileStream*, const std::string*> pictureFiles[] = {
        {chartFile.get(), chart ? &chart->file : &noFile}, {plotFile.get(), &options.plot}};
    for (const auto& [file, name] : pictureFiles) {
        if (!file)
            continue;
        std::string png;
        const bool drawn = file == chartFile.get()
                               ? pictures.chart(chartBuilder->chart(), png, error)
                               : pictures.plot(plot, png, error);
        if (drawn)
            file->stream().write(png.data(), static_cast<std::streamsize>(png.size()));
        if (!drawn || !file->commit(error))
            failed(*name, error);
    }
    if (outcome.cancelled && !outputFailed)
        err << "Shotlab sweep: interrupted after " << outcome.done << " of " << outcome.total
            << " points; the rows done are written\n";
    return status;
}

namespace {

// The path made absolute, with "." and ".." resolved and the links of the
// part that exists followed: two spellings of a file not yet there agree.
std::string normalPath(const std::string& path)
{
    std::error_code error;
    // Absolute first: of a relative path whose first part does not exist
    // weakly_canonical would keep it relative.
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        absolute = path;
    const std::filesystem::path normal = std::filesystem::weakly_canonical(absolute, error);
    return (error ? absolute.lexically_normal() : normal).string();
}

} // namespace

std::string checkOutputTargets(const std::vector<std::pair<std::string, std::string>>& targets,
                               const std::string& model)
{
    for (std::size_t a = 0; a < targets.size(); ++a) {
        const std::string& file = targets[a].second;
        if (file != "-" && fileout::sameFile(file, model))
            return targets[a].first + " " + file + " is the model: writing there would destroy it";
        for (std::size_t b = 0; b < a; ++b)
            if (file == targets[b].second ||
                (fileout::isRegularFile(file) && fileout::sameFile(file, targets[b].second)) ||
                (file != "-" && targets[b].second != "-" &&
                 normalPath(file) == normalPath(targets[b].second)))
                return targets[b].first + " and " + targets[a].first +
                       " name the same file: " + file;
    }
    return {};
}

namespace {

// A file as FileStream writes it, or standard output for "-".
class OutputFile final : public CommandOutput
{
public:
    OutputFile(const std::string& path, std::ostream& standardOutput)
        : path_(path), standard_(path == "-" ? &standardOutput : nullptr)
    {
    }
    bool open(std::string& error) override { return standard_ || file_.open(path_, error); }
    std::ostream& stream() override { return standard_ ? *standard_ : file_.stream(); }
    bool commit(std::string& error) override
    {
        if (!standard_)
            return file_.commit(error);
        return flushOutput(*standard_, error);
    }
    const std::string& path() const override { return path_; }

private:
    std::string path_;
    std::ostream* standard_;
    FileStream file_;
};

} // namespace

std::unique_ptr<CommandOutput> makeCommandOutput(const std::string& path,
                                                 std::ostream& standardOutput)
{
    return std::make_unique<OutputFile>(path, standardOutput);
}

std::shared_ptr<void> catchInterrupts()
{
    interrupted.store(false); // before the handler is there, so no Ctrl+C is lost
    return std::make_shared<fileout::SignalCleanup>(onInterrupt);
}

const std::atomic<bool>& interruptFlag()
{
    return interrupted;
}

std::unique_ptr<CommandProgress> makeProgressLine(std::ostream& err, const char* unit)
{
    return std::make_unique<ProgressLine>(err, unit);
}

} // namespace quillmoor::lab
