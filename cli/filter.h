#pragma once

#include "command_line.h"
#include "report.h"

#include <functional>
#include <string>

namespace orvani::cli {

class ByteSink;
class EncodingSink;
class Output;

// Converts each input of `request` on its own, in order, into `sink`, which writes into
// `output` (through `encoder` where the output encoding is not UTF-8). What is worth telling
// the user but does not stop the filter goes to `notice`; with --report, the report on each
// input converted goes to `reported`.
//
// An input that is not text (invalid in its encoding) or a failed write throws FilterError,
// after writing the text before the fault. An input that cannot be read is reported to
// `notice` and skipped when the output is standard output, as cat does; with -o it throws,
// so that the file is left as it was. Returns false when an input was skipped.
[[nodiscard]] bool RunFilter(const ConvertRequest& request, Output& output, EncodingSink* encoder,
                             const std::function<void(const std::string&)>& notice,
                             const std::function<void(InputReport)>& reported = {});

} // namespace orvani::cli
