#pragma once

// Text between the window's UTF-16 and the core's code points. A lone surrogate, which an edit
// box can hold, passes both ways as itself, so that nothing typed is lost.

#include <string>
#include <string_view>

namespace orvani::win32 {

[[nodiscard]] std::u32string ToCodePoints(std::wstring_view text);
[[nodiscard]] std::wstring ToUtf16(std::u32string_view text);
// For the window's own captions, which are kept in UTF-8.
[[nodiscard]] std::wstring Utf8ToUtf16(std::string_view text);

// Every line end as CR LF, as edit boxes and the clipboard want them: a lone LF becomes CR LF,
// a lone CR stays as it is.
[[nodiscard]] std::wstring WithCrLf(std::wstring_view text);

[[nodiscard]] constexpr bool IsHighSurrogate(wchar_t unit) noexcept {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
[[nodiscard]] constexpr bool IsLowSurrogate(wchar_t unit) noexcept {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace orvani::win32
