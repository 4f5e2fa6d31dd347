#include "OutputStreams.h"
#include "Shotlab.h"

#ifdef QUILLMOOR_PICTURES
#include "DispersionPicture.h"
#include "SweepPictures.h"
#include "SweepTraces.h"
#endif

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    quillmoor::lab::Pictures pictures;
#ifdef QUILLMOOR_PICTURES
    pictures.chart = quillmoor::lab::renderSweepChart;
    pictures.plot = quillmoor::lab::renderSweepPlot;
    pictures.thin = thinTrace;
    pictures.dispersion = quillmoor::lab::renderDispersionPlot;
#endif
    // Standard output that says why it failed (a full disk, /dev/full).
    quillmoor::lab::StandardOutputBuffer buffer(STDOUT_FILENO);
    std::ostream out(&buffer);
    return quillmoor::lab::runShotlab(args, out, std::cerr, pictures);
}
