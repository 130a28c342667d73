#pragma once

#include <cstddef>
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

// The input `name`, mapped at [begin, begin + size), is read through the map: should the file
// shrink meanwhile, reading past its new end raises SIGBUS, which then says so on standard
// error, removes the temporary file and ends the filter with status 1 rather than a crash.
void GuardMappedInput(const void* begin, std::size_t size, const std::string& name);
void ForgetMappedInput();

} // namespace orvani::cli
