// Trajex: one simulation per run. Reads a model file, computes the tee shot
// or the putt, writes the model with its results. Messages go to stderr only;
// the exit status is 0 when the output file was written, 1 otherwise. Ended
// by SIGINT, SIGTERM or SIGHUP (a caller that gave up on a long run), it
// leaves no temporary file beside the output.

#include "FileOutput.h"
#include "TrajexRun.h"

#include <cstdio>

int main(int argc, char** argv)
{
    const fileout::SignalCleanup cleanup;
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string messages;
    const int status = quillmoor::runTrajex(args, messages);
    std::fwrite(messages.data(), 1, messages.size(), stderr);
    return status;
}
