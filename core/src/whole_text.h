#pragma once

#include <orvani/standard.h>

#include <string>
#include <string_view>

namespace orvani::detail {

// Runs a piecewise reader or writer over one whole text; HTML yields the empty text.
template <typename Scanner>
[[nodiscard]] std::u32string TranscribeWhole(Scanner scanner, std::u32string_view text,
                                             DocumentType type) {
    if (type == DocumentType::HTML) {
        return {};
    }
    std::u32string out;
    out.reserve(text.size());
    scanner.feed(text, out);
    scanner.finish(out);
    return out;
}

} // namespace orvani::detail
