#pragma once

#include "streams.h"

#include <orvani/pipeline.h>

#include <cstddef>

namespace orvani::cli {

class Worker;

struct StreamSizes {
    std::size_t read = std::size_t{1} << 20; // bytes read and converted at a time
    // A piece is cut in two, to convert the halves on two cores, when each half would be at
    // least this large.
    std::size_t halfWorthAThread = std::size_t{1} << 16;
    std::size_t cutSearch = std::size_t{1} << 12; // how far past the middle to look for a cut
};

// Converts the whole of `in` into `out` with a converter copied from `fresh`, a piece at a
// time, each piece cut in two halves converted at once on this thread and the worker's.
// Throws FilterError at invalid UTF-8 (naming the byte, counted from 0 in `in`) or a failed
// read or write, after writing all the text before the fault.
void ConvertStream(ByteSource& in, ByteSink& out, const Converter& fresh, Worker& worker,
                   const StreamSizes& sizes = {});

} // namespace orvani::cli
