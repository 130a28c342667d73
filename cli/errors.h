#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace orvani::cli {

// A failure of the filter's input or output, worded for the user: "NAME: what went wrong".
class FilterError : public std::runtime_error {
public:
    FilterError(std::string_view name, std::string_view reason)
        : std::runtime_error(Join(name, reason)) {}

private:
    static std::string Join(std::string_view name, std::string_view reason) {
        std::string message;
        message.reserve(name.size() + 2 + reason.size());
        message.append(name).append(": ").append(reason);
        return message;
    }
};

// Standard output's reader has gone (a pipe into "head", say) while SIGPIPE is ignored: the
// filter stops quietly, as SIGPIPE would have stopped it.
struct ReaderGone {};

// The system's own wording for `errnoValue`, as a FilterError about `name`.
[[nodiscard]] FilterError SystemError(std::string_view name, int errnoValue);

} // namespace orvani::cli
