// The stream form of runTrajex, in a file of its own: a program that does not
// call it (Trajex itself) then links no stream code from the C++ runtime.

#include "TrajexRun.h"

#include <ostream>

namespace quillmoor {

int runTrajex(const std::vector<std::string>& args, std::ostream& err)
{
    std::string messages;
    const int status = runTrajex(args, messages);
    err << messages << std::flush;
    return status;
}

} // namespace quillmoor
