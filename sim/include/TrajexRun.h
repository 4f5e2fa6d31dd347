#pragma once
// Trajex's whole run (arguments, read, simulation, write) as a function, so
// that tests and the fuzzer can drive it without starting a process.

#include <ostream>
#include <string>
#include <vector>

namespace quillmoor {

// args are the command-line arguments after the program name. Messages go to
// err; returns the exit status (0 when the output file was written, else 1).
int runTrajex(const std::vector<std::string>& args, std::ostream& err);

// The same with the messages appended to a string, each ending in a line
// end. The program itself uses this form: it needs no stream, so a run does
// not pay for setting up the standard streams and their locale.
int runTrajex(const std::vector<std::string>& args, std::string& messages);

} // namespace quillmoor
