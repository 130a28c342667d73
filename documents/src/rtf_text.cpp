#include "rtf_text.h"

#include <orvani/internal/utf8.h>
#include <unicode/unorm2.h>

#include <array>

namespace orvani::documents {
namespace {

// The first character of the canonical decomposition: "a" for "á".
char32_t BaseLetter(char32_t c) {
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfd = unorm2_getNFDInstance(&status);
    std::array<UChar, 8> decomposition{};
    const int32_t length =
        U_SUCCESS(status)
            ? unorm2_getDecomposition(nfd, static_cast<UChar32>(c), decomposition.data(),
                                      decomposition.size(), &status)
            : -1;
    if (U_FAILURE(status) || length <= 0) {
        return c;
    }
    UChar32 first = 0;
    int32_t at = 0;
    U16_NEXT(decomposition.data(), at, length, first);
    return static_cast<char32_t>(first);
}

void AppendHex(unsigned char byte, std::string& out) {
    static constexpr std::string_view kDigits = "0123456789abcdef";
    out += "\\'";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
}

// One fallback character for `c`, which is not printable ASCII.
void AppendFallback(char32_t c, int codePage, RtfCodePages& pages, std::string& out) {
    if (const auto byte = pages.byteOf(codePage, c); byte && *byte >= 0x80) {
        AppendHex(*byte, out);
        return;
    }
    const char32_t base = BaseLetter(c);
    if (base >= 0x20 && base < 0x7F) {
        if (base == '\\' || base == '{' || base == '}') {
            out += '\\';
        }
        out += static_cast<char>(base);
        return;
    }
    out += '?';
}

// \uN takes a signed 16-bit number: each UTF-16 unit, those past 32767 as negatives.
void AppendUnit(char16_t unit, std::string& out) {
    out += "\\u";
    out += std::to_string(unit > 32767 ? static_cast<int>(unit) - 65536 : static_cast<int>(unit));
}

} // namespace

void AppendRtfText(std::string_view utf8, int codePage, int skip, RtfCodePages& pages,
                   std::string& out) {
    const std::string restore = "\\uc" + std::to_string(skip) + ' ';
    bool oneFallback = skip == 1;
    for (std::size_t at = 0; at < utf8.size();) {
        const auto [c, length, status] = internal::DecodeUtf8(utf8, at);
        at += length;
        if (c >= 0x20 && c < 0x7F) {
            if (c == '\\' || c == '{' || c == '}') {
                out += '\\';
            }
            out += static_cast<char>(c);
            continue;
        }
        if (c == '\t') {
            out += "\\tab ";
            continue;
        }
        // Each \u is followed by exactly one fallback character, whatever \uc said before.
        if (!oneFallback) {
            out += "\\uc1 ";
            oneFallback = true;
        }
        if (c > 0xFFFF) {
            AppendUnit(static_cast<char16_t>(0xD7C0 + (c >> 10)), out);
            out += '?';
            AppendUnit(static_cast<char16_t>(0xDC00 | (c & 0x3FF)), out);
        } else {
            AppendUnit(static_cast<char16_t>(c), out);
        }
        std::string fallback;
        AppendFallback(c, codePage, pages, fallback);
        if (fallback.front() >= '0' && fallback.front() <= '9') {
            out += ' ';
        }
        out += fallback;
    }
    if (oneFallback && skip != 1) {
        out += restore;
    }
}

} // namespace orvani::documents
