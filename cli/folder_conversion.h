#pragma once

#include "command_line.h"

#include <functional>
#include <string>

namespace orvani::cli {

// Converts each input of `request` on its own into the folder request.outputDir, under the
// input's own name, through `convertOne` (given a request for that input alone, with its
// output file; it tells its own faults and returns an exit status). A file that fails is told
// and the others are still converted; the folder is made if it is missing. With --verbose,
// `tell` says where each file went. Returns 0, or 1 when any file failed.
[[nodiscard]] int ConvertEachIntoFolder(const ConvertRequest& request,
                                        const std::function<int(const ConvertRequest&)>& convertOne,
                                        const std::function<void(const std::string&)>& tell);

} // namespace orvani::cli
