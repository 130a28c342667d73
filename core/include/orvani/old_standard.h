#pragma once

#include <orvani/standard.h>

#include <string>
#include <string_view>

namespace orvani {

// Old text in any case to lower-case New text; empty for HTML.
[[nodiscard]] std::u32string ConvA(std::u32string_view text, DocumentType type,
                                   ConversionOptions options);

// New text in any case to lower-case Old text; empty for HTML. Only the oh/uh option applies.
[[nodiscard]] std::u32string OutA(std::u32string_view text, DocumentType type,
                                  ConversionOptions options);

} // namespace orvani
