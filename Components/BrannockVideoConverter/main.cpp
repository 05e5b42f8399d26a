#include "Components/BrannockVideoConverter/Conversion.h"

#include <string>
#include <vector>

// BrannockVideoConverter: the converter the batch file runs, one conversion per
// command line, in the option dialect of the ffmpeg builds of 2008-2009.
int main(int argc, char **argv) {
    return converter::runConversion(std::vector<std::string>(argv + 1, argv + argc));
}
