// Parview::customizeHole() - the "[ Customize... ]" sequence (spec Part 3.4).
#if __has_include("Parview.h")
#include "Parview.h"

void Parview::customizeHole() {}
#endif
