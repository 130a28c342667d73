#pragma once

#include <cstdint>
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

// An input that could not be opened or read, as opposed to one that could be read but is not
// text: the filter may go on with the other inputs, as cat does.
class ReadError : public FilterError {
public:
    using FilterError::FilterError;
};

// Standard output's reader has gone (a pipe into "head", say) while SIGPIPE is ignored: the
// filter stops quietly, as SIGPIPE would have stopped it.
struct ReaderGone {};

// The system's own wording for `errnoValue`, as a FilterError about `name`.
[[nodiscard]] FilterError SystemError(std::string_view name, int errnoValue);
[[nodiscard]] ReadError SystemReadError(std::string_view name, int errnoValue);

// Invalid UTF-8 at byte `offset` of the input `name`; `rest` is the input from there on, to
// recognise text that is plainly in another encoding (UTF-16, Windows-1252) and say so.
[[nodiscard]] FilterError InvalidUtf8(std::string_view name, std::uint64_t offset,
                                      std::string_view rest);

} // namespace orvani::cli
