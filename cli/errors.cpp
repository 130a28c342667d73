#include "errors.h"

#include <orvani/internal/utf8.h>

#include <cstring>

namespace orvani::cli {

FilterError SystemError(std::string_view name, int errnoValue) {
    return FilterError(name, std::strerror(errnoValue));
}

ReadError SystemReadError(std::string_view name, int errnoValue) {
    return ReadError(name, std::strerror(errnoValue));
}

namespace {

// Whether `bytes` read cleanly as Windows-1252 text: none of the five bytes that it leaves
// undefined, and no control character that text does not hold. Enough of them to tell.
bool ReadsAsWindows1252(std::string_view bytes) {
    // UTF-8 that the end cuts short is no sign of another encoding.
    if (bytes.empty() || internal::DecodeUtf8(bytes, 0).status == internal::Utf8Status::Truncated) {
        return false;
    }
    constexpr std::size_t kLookedAt = std::size_t{1} << 16;
    for (const char c : bytes.substr(0, kLookedAt)) {
        const auto byte = static_cast<unsigned char>(c);
        const bool undefined =
            byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
        const bool control =
            byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f';
        if (undefined || control) {
            return false;
        }
    }
    return true;
}

} // namespace

FilterError InvalidUtf8(std::string_view name, std::uint64_t offset, std::string_view rest) {
    std::string reason = "invalid UTF-8 at byte " + std::to_string(offset);
    // Neither byte-order mark of UTF-16 can start UTF-8 text.
    if (offset == 0 && (rest.starts_with("\xFF\xFE") || rest.starts_with("\xFE\xFF"))) {
        reason += "; it starts with a UTF-16 byte-order mark and looks like UTF-16: "
                  "try --input-encoding UTF-16";
    } else if (ReadsAsWindows1252(rest)) {
        // Windows editors saved text so for years.
        reason += "; it reads as Windows-1252: try --input-encoding windows-1252";
    }
    return FilterError(name, reason);
}

} // namespace orvani::cli
