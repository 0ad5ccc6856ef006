#include <cstdio>

#include "cli/PlotCommand.h"

namespace kiro::cli {

// Pictures are drawn with Cairo, which this build of the command line does not have.
int RunPlot(const PlotOptions&) {
    std::fprintf(stderr,
                 "plot: drawing pictures is not available in the Windows command line; "
                 "every other command works.\n");
    return 1;
}

}  // namespace kiro::cli
