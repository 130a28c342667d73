#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvani::cli {

struct DecodeResult {
    std::size_t consumed; // bytes decoded into code points
    bool invalid;         // decoding stopped at an invalid sequence that starts at `consumed`
};

// Appends the code points of `bytes` to `out`. It stops at the first invalid sequence, or
// before a sequence that the end of `bytes` cuts off and the next bytes may complete.
// ICU indexes with int32_t, so `bytes` holds less than 2 GiB.
[[nodiscard]] DecodeResult DecodeUtf8(std::string_view bytes, std::u32string& out);

// Appends the UTF-8 encoding of `text` to `out`.
void EncodeUtf8(std::u32string_view text, std::string& out);

} // namespace orvani::cli
