#include "normalization.h"

#include "utf16.h"

#include <limits>
#include <windows.h>

namespace orvani::win32 {
namespace {

constexpr bool IsNonCharacter(char32_t c) noexcept {
    return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

struct Character {
    std::size_t length; // in UTF-16 units
    bool refused;       // by NormalizeString
};

Character CharacterAt(std::wstring_view text, std::size_t i) noexcept {
    const wchar_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
        const char32_t c = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                           (static_cast<char32_t>(text[i + 1]) - 0xDC00);
        return {2, IsNonCharacter(c)};
    }
    return {1, IsHighSurrogate(unit) || IsLowSurrogate(unit) || IsNonCharacter(unit)};
}

void AppendNfc(std::wstring& out, std::wstring_view run) {
    if (run.empty()) {
        return;
    }
    if (run.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 4)) {
        out.append(run); // beyond what the API can count
        return;
    }
    const int length = static_cast<int>(run.size());
    int capacity = NormalizeString(NormalizationC, run.data(), length, nullptr, 0);
    // The first answer is an estimate; a too small one is told by ERROR_INSUFFICIENT_BUFFER
    // together with a better estimate.
    for (int attempt = 0; capacity > 0 && attempt < 8; ++attempt) {
        std::wstring buffer(static_cast<std::size_t>(capacity), L'\0');
        const int written =
            NormalizeString(NormalizationC, run.data(), length, buffer.data(), capacity);
        if (written > 0) {
            out.append(buffer.data(), static_cast<std::size_t>(written));
            return;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            break;
        }
        capacity = -written;
        if (capacity <= static_cast<int>(buffer.size())) {
            capacity = static_cast<int>(buffer.size()) * 2;
        }
    }
    out.append(run);
}

} // namespace

std::wstring ToNfc(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < text.size();) {
        const Character character = CharacterAt(text, i);
        if (character.refused) {
            AppendNfc(out, text.substr(runStart, i - runStart));
            out.append(text.substr(i, character.length));
            runStart = i + character.length;
        }
        i += character.length;
    }
    AppendNfc(out, text.substr(runStart));
    return out;
}

} // namespace orvani::win32
