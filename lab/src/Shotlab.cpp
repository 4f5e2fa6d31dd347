// The command line of Shotlab: one subcommand per kind of work, each added by
// its own file. CLI11 reports usage errors with exit codes of its own; Shotlab
// turns every one of them into 2, so scripts can tell them from a bad file.

#include "Shotlab.h"

#include "OutputStreams.h"

#include <CLI/CLI.hpp>

namespace quillmoor::lab {

namespace {

const CommandRegistrar kCommands[] = {
    addSummaryCommand,
    addReadPuttCommand,
    addRangeCommand,
};

} // namespace

int runShotlab(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const Pictures& pictures)
{
    CLI::App app("The experimenter's tools for the shots of Quillmoor Hills, working on the data "
                 "files Trajex and Parview write.",
                 "Shotlab");
    app.require_subcommand(1);
    app.footer("Run 'Shotlab COMMAND --help' for the options of a command.\n"
               "Exit status: 0 done, 1 a file could not be read, 2 a usage error, 130 a sweep "
               "or a dispersion stopped by Ctrl+C.");
    CommandAction action;
    for (CommandRegistrar add : kCommands)
        add(app, action);
    addSweepCommand(app, action, pictures);
    addDispersionCommand(app, action, pictures);

    try {
        // CLI11 takes the arguments last first.
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
            return finishOutput(out, err, "Shotlab", app.exit(e, out, err)); // --help
        std::string command = app.get_name();
        for (const CLI::App* sub : app.get_subcommands())
            command += " " + sub->get_name();
        // CLI11 would only say that a command is required.
        if (app.get_subcommands().empty() && !args.empty() && !args[0].empty())
            err << "Shotlab: unknown " << (args[0][0] == '-' ? "option: " : "command: ") << args[0];
        else
            err << "Shotlab: " << e.what();
        err << "\nRun '" << command << " --help' for more information.\n";
        return kExitUsage;
    }
    return action ? action(out, err) : kExitUsage;
}

} // namespace quillmoor::lab
