#include "TrajexRun.h"

#include "ShotRun.h"
#include "SwingModel.h"

namespace {

struct Options
{
    std::string input;
    std::string output;
    std::string mode = "complex";
    bool setPosition = true;
    bool writeResults = true;
};

// Empty arguments are skipped while a path is still missing; the first
// argument after both paths is the one option word, and scanning stops there.
Options parseArguments(const std::vector<std::string>& args)
{
    Options o;
    for (const std::string& arg : args) {
        if (o.input.empty()) {
            o.input = arg;
        } else if (o.output.empty()) {
            o.output = arg;
        } else {
            quillmoor::ShotMode mode;
            if (quillmoor::shotModeFromName(arg, mode))
                o.mode = arg;
            else if (arg == "keepPosition")
                o.setPosition = false;
            else if (arg == "setPosition")
                o.setPosition = true;
            else if (arg == "noResults")
                o.writeResults = false;
            else if (arg == "writeResults")
                o.writeResults = true;
            break;
        }
    }
    return o;
}

// Room for the tee shot of this one run: 2 MB, 65 s at the default step.
// Trajectory gives a block this large a mapping of its own that the system can
// back with one huge page, where the path's pages would otherwise be taken one
// fault at a time (about a hundred for a drive, each costly on a virtual
// machine). The routines' own smaller reservation then has nothing to do.
constexpr std::size_t kRunTeeShotReserve = std::size_t(1) << 16;

} // namespace

namespace quillmoor {

int runTrajex(const std::vector<std::string>& args, std::string& messages)
{
    const Options opt = parseArguments(args);
    if (opt.input.empty() || opt.output.empty()) {
        messages += "Usage:\n  Trajex infile outfile [mode:simple|complex]\n";
        return 1;
    }

    SwingModel model(true);
    std::string why; // set when the file opened but could not be read through
    if (!model.read(opt.input, false, &why)) {
        if (!why.empty())
            messages += opt.input + ": " + why + '\n';
        messages += "Unable to open input file: " + opt.input + '\n';
        return 1;
    }

    // The parser stores only the names of the physics; the check guards the
    // dispatch.
    ShotMode mode;
    if (!shotModeFromName(opt.mode, mode)) {
        messages += "Unrecognized mode: " + opt.mode + '\n';
        return 1;
    }
    if (!model.PuttEnabled)
        model.teeShot.reserve(kRunTeeShotReserve);
    const SimResult result = runShot(model, mode, opt.setPosition);
    if (!result) {
        model.setExitCode(-1);
        messages += result.reason + "\nUnable to perform calculations\n";
        return 1;
    }
    model.setExitCode(1);

    if (!model.write(opt.output, !opt.writeResults)) {
        messages += "Unable to write output file: " + opt.output + '\n';
        return 1;
    }
    return 0;
}

} // namespace quillmoor
