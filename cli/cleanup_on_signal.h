#pragma once

#include <string>

namespace orvani::cli {

// Creates a temporary file from the mkstemp(3) template `path` (filled in on return) and has
// it removed if a signal ends the process before ForgetRemovedOnSignal(). Every signal that
// ends a process by default is covered, except those that were ignored when the filter
// started: "nohup" and background jobs rely on them staying ignored. Returns the descriptor,
// or -1 with errno set.
[[nodiscard]] int CreateRemovedOnSignal(std::string& path);

// The file is in place or removed: signals act as they did before.
void ForgetRemovedOnSignal();

} // namespace orvani::cli
