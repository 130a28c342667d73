#pragma once

#include <unicode/ucnv.h>

#include <memory>
#include <string>
#include <string_view>

namespace orvani::cli {

struct ConverterCloser {
    void operator()(UConverter* converter) const noexcept { ucnv_close(converter); }
};
using ConverterHandle = std::unique_ptr<UConverter, ConverterCloser>;

// ICU's converter for the encoding `name` (any name or alias ICU knows), set to stop at the
// first byte or character it cannot convert; null when ICU knows no such encoding.
[[nodiscard]] ConverterHandle OpenConverter(const std::string& name);

// Throws FilterError about `name` where ICU reports that `what` failed (out of memory, say):
// its conversions are sized never to overflow, so any failure is the system's.
void CheckIcu(UErrorCode status, std::string_view name, std::string_view what);

// Whether `name` is UTF-8 under any of its aliases.
[[nodiscard]] bool IsUtf8(const std::string& name);

} // namespace orvani::cli
