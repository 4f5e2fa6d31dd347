#include "Shotlab.h"

#ifdef QUILLMOOR_PICTURES
#include "DispersionPicture.h"
#include "SweepPictures.h"
#include "SweepTraces.h"
#endif

#include <iostream>

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
    return quillmoor::lab::runShotlab(args, std::cout, std::cerr, pictures);
}
