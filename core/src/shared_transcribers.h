#pragma once

#include "case_keeping.h"
#include "transcriber.h"

#include <orvani/standard.h>

namespace orvani::detail {

// The compiled conversion from `source` to `target` with `options`: built the first time any
// converter asks for it and shared by all of them from then on. It never changes once built,
// so any number of threads may use it at once.
[[nodiscard]] const Transcriber& SharedTranscriber(Standard source, Standard target,
                                                   ConversionOptions options);

// The conversion that keeps capitals, shared in the same way, where `options` asks for it and
// the script is on neither side; else null.
[[nodiscard]] const CaseKeeping* SharedCaseKeeping(Standard source, Standard target,
                                                   ConversionOptions options);

} // namespace orvani::detail
