#pragma once

namespace orvani::cli {

// Occupies standard input, output and error where the filter was started with them closed,
// so that no file it opens later (the temporary output file, say) takes their place and is
// read or written as one of them. The placeholder can neither be read nor written: using a
// closed stream fails with "Bad file descriptor", as it would have.
void KeepClosedStandardStreamsClosed();

} // namespace orvani::cli
