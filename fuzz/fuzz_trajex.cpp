// A whole simulator run on arbitrary input files, once per option word and
// with putt mode as the file says, off and on. Every run must end quickly: a
// release build refuses the longest runs (a million points) in about 0.2 s,
// and this build, with sanitizers and coverage, is about five times slower,
// so a run may take at most 5 s of processor time here (processor time, so
// that a loaded machine does not turn into findings), and a run that reports
// success must have written a file the reader takes back.

#include "FuzzSupport.h"
#include "TrajexRun.h"

#include <ctime>
#include <sstream>

static double cpuSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string in = fuzz::scratch("trajex-in");
    static const std::string out = fuzz::scratch("trajex-out");
    static const char* const words[] = {"", "simple", "complex", "noResults", "keepPosition"};

    for (const char* mode : {"", "\nPuttEnabled: 0\n", "\nPuttEnabled: 1\n"}) {
        std::string text(reinterpret_cast<const char*>(data), size);
        text += mode; // a later line wins, so this forces the shot kind
        fuzz::putFile(in, reinterpret_cast<const uint8_t*>(text.data()), text.size());
        for (const char* word : words) {
            fuzz::freshCatalogue();
            std::remove(out.c_str());
            std::ostringstream err;
            std::vector<std::string> args = {in, out};
            if (*word)
                args.push_back(word);
            const double start = cpuSeconds();
            const int status = quillmoor::runTrajex(args, err);
            const double took = cpuSeconds() - start;
            if (took > 5.0) {
                std::fprintf(stderr, "a run with \"%s\" took %.2f s\n", word, took);
                std::abort();
            }
            if (status == 0) {
                SwingModel check(false);
                if (!check.read(out) || check.exitCode != 1)
                    std::abort();
            } else if (err.str().empty() || access(out.c_str(), F_OK) == 0) {
                std::abort(); // a failure must say why and leave no output
            }
        }
    }
    return 0;
}
