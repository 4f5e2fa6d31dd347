// The command line of Shotlab: one subcommand per kind of work, each added by
// its own file. CLI11 reports usage errors with exit codes of its own; Shotlab
// turns every one of them into 2, so scripts can tell them from a bad file.

#include "Shotlab.h"

#include "CommandFiles.h"
#include "OutputStreams.h"

#include <CLI/CLI.hpp>
#include <algorithm>

namespace quillmoor::lab {

namespace {

const CommandRegistrar kCommands[] = {
    addSummaryCommand,
    addReadPuttCommand,
    addRangeCommand,
};

// An option given with an empty value (often a shell variable that was not
// set) is a mistake, not the option left out: the usage error naming it, or
// empty when every option given has a value.
std::string emptyOptionValue(const CLI::App& command)
{
    for (const CLI::Option* o : command.get_options()) {
        if (o->get_positional() || o->get_expected_min() == 0 || o->count() == 0)
            continue;
        const auto& given = o->results();
        if (std::find(given.begin(), given.end(), std::string()) == given.end())
            continue;
        const std::string type = o->get_type_name();
        return o->get_name() + " needs " +
               (type.rfind("FILE", 0) == 0 ? std::string("a file name")
                                           : "a value (" + type + "), not an empty one");
    }
    return {};
}

} // namespace

int runShotlab(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const Pictures& pictures)
{
    CLI::App app("The experimenter's tools for the shots of Quillmoor Hills, working on the data "
                 "files Trajex and Parview write.",
                 "Shotlab");
    app.require_subcommand(1);
    app.footer("Run 'Shotlab COMMAND --help' for the options of a command.\n"
               "Exit status: 0 done; 1 a file could not be read or an output not written "
               "(standard output included), a shot was refused, read-putt found nothing that "
               "holes, or a dispersion had every shot refused; 2 a usage error; 130 a sweep "
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
    for (const CLI::App* command : app.get_subcommands()) {
        const std::string error = emptyOptionValue(*command);
        if (!error.empty())
            return usageError(err, command->get_name().c_str(), error);
    }
    return action ? action(out, err) : kExitUsage;
}

} // namespace quillmoor::lab
