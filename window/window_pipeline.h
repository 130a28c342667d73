#pragma once

// The conversion as the window runs it, with the window's own rules on top of the core: the
// lists give a standard by its display name and a document type by name, a name that matches
// no standard leaves the result empty, and for HTML only New to New yields text. Plain C++,
// so that every front end of the window shares it.

#include <orvani/standard.h>

#include <optional>
#include <string>
#include <string_view>

namespace orvani::window {

// HTML exactly when `name` is "HTML"; any other name is Plain.
[[nodiscard]] DocumentType DocumentTypeFromName(std::string_view name) noexcept;

// The pivot text read by the reader of `source` (ConvA, ConvS, or the text itself for New),
// written by the writer of `target` (OutA, OutS, or unchanged). A missing standard gives an
// empty pivot or an empty result; never fails.
[[nodiscard]] std::u32string ConvertText(std::u32string_view text, std::optional<Standard> source,
                                         std::optional<Standard> target, DocumentType type,
                                         ConversionOptions options);

} // namespace orvani::window
