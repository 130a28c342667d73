#include "errors.h"

#include <cstring>

namespace orvani::cli {

FilterError SystemError(std::string_view name, int errnoValue) {
    return FilterError(name, std::strerror(errnoValue));
}

ReadError SystemReadError(std::string_view name, int errnoValue) {
    return ReadError(name, std::strerror(errnoValue));
}

FilterError InvalidUtf8(std::string_view name, std::uint64_t offset, std::string_view rest) {
    std::string reason = "invalid UTF-8 at byte " + std::to_string(offset);
    // Neither byte-order mark of UTF-16 can start UTF-8 text.
    if (offset == 0 && (rest.starts_with("\xFF\xFE") || rest.starts_with("\xFE\xFF"))) {
        reason += "; it starts with a UTF-16 byte-order mark and looks like UTF-16: "
                  "try --input-encoding UTF-16";
    }
    return FilterError(name, reason);
}

} // namespace orvani::cli
