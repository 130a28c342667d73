#include "utf16.h"

#include <orvani/internal/utf8.h>

namespace orvani::win32 {

std::u32string ToCodePoints(std::wstring_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            out.push_back(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                          (static_cast<char32_t>(text[i + 1]) - 0xDC00));
            ++i;
        } else {
            out.push_back(static_cast<char32_t>(unit));
        }
    }
    return out;
}

std::wstring ToUtf16(std::u32string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (const char32_t c : text) {
        if (c >= 0x10000 && c <= 0x10FFFF) {
            out.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<wchar_t>(c));
        }
    }
    return out;
}

std::wstring Utf8ToUtf16(std::string_view text) {
    return ToUtf16(orvani::internal::ToCodePoints(text));
}

std::wstring WithCrLf(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) {
            out.push_back(L'\r');
        }
        out.push_back(text[i]);
    }
    return out;
}

} // namespace orvani::win32
