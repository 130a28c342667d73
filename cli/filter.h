#pragma once

#include "command_line.h"

#include <string>

namespace orvani::cli {

class Output;

// Converts each input of `request` on its own, in order, into `output`. Throws FilterError on
// the first input that cannot be read or is not UTF-8, after writing the text before the fault.
void RunFilter(const ConvertRequest& request, Output& output);

} // namespace orvani::cli
