#include <orvani/normalization.h>
#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>

namespace orvani {
namespace {

constexpr char32_t kFirstChanging = 0x300; // nothing below combines or decomposes
constexpr unsigned char kFirstChangingLead = 0xCC;

const icu::Normalizer2& Nfc() {
    UErrorCode status = U_ZERO_ERROR;
    // ICU's built-in data: the instance exists for the life of the process.
    return *icu::Normalizer2::getNFCInstance(status);
}

bool IsCharacter(char32_t c) {
    return c < 0x110000 && (c < 0xD800 || c > 0xDFFF);
}

void AppendNfc(std::u32string_view run, std::u32string& out) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString text = icu::UnicodeString::fromUTF32(
        reinterpret_cast<const UChar32*>(run.data()), static_cast<std::int32_t>(run.size()));
    const icu::UnicodeString normal = Nfc().normalize(text, status);
    const std::size_t used = out.size();
    out.resize(used + static_cast<std::size_t>(normal.countChar32()));
    normal.toUTF32(reinterpret_cast<UChar32*>(out.data() + used),
                   static_cast<std::int32_t>(out.size() - used), status);
}

void AppendNfc(std::string_view run, std::string& out) {
    UErrorCode status = U_ZERO_ERROR;
    icu::StringByteSink<std::string> sink(&out, static_cast<std::int32_t>(run.size()));
    Nfc().normalizeUTF8(0, icu::StringPiece(run.data(), static_cast<std::int32_t>(run.size())),
                        sink, nullptr, status);
}

} // namespace

std::u32string ToNfc(std::u32string_view text) {
    if (std::all_of(text.begin(), text.end(), [](char32_t c) { return c < kFirstChanging; })) {
        return std::u32string(text);
    }
    std::u32string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto stop = std::find_if_not(text.begin(), text.end(), IsCharacter);
        const auto run = static_cast<std::size_t>(stop - text.begin());
        AppendNfc(text.substr(0, run), out);
        const std::size_t kept =
            static_cast<std::size_t>(std::find_if(stop, text.end(), IsCharacter) - stop);
        out.append(text.substr(run, kept));
        text.remove_prefix(run + kept);
    }
    return out;
}

std::string ToNfc(std::string_view utf8) {
    if (!NfcMayChange(utf8)) {
        return std::string(utf8);
    }
    std::string out;
    out.reserve(utf8.size());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const auto length = static_cast<std::int32_t>(utf8.size());
    std::int32_t runStart = 0;
    for (std::int32_t i = 0; i < length;) {
        const std::int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) {
            AppendNfc(utf8.substr(runStart, start - runStart), out);
            out.append(utf8.substr(start, i - start));
            runStart = i;
        }
    }
    AppendNfc(utf8.substr(runStart), out);
    return out;
}

bool NfcMayChange(std::string_view utf8) noexcept {
    // Blocks without an early exit, which the compiler turns into vector compares.
    constexpr std::size_t kBlock = 64;
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    std::size_t i = 0;
    for (; i + kBlock <= utf8.size(); i += kBlock) {
        unsigned char high = 0;
        for (std::size_t j = 0; j < kBlock; ++j) {
            high = std::max(high, bytes[i + j]);
        }
        if (high >= kFirstChangingLead) {
            return true;
        }
    }
    for (; i < utf8.size(); ++i) {
        if (bytes[i] >= kFirstChangingLead) {
            return true;
        }
    }
    return false;
}

std::size_t NfcStablePrefix(std::string_view utf8) noexcept {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const auto length = static_cast<std::int32_t>(utf8.size());
    auto i = length;
    while (i > 0) {
        UChar32 c = 0;
        U8_PREV(bytes, 0, i, c);
        // Bytes near the end may be a character that the next piece completes. Elsewhere an
        // invalid sequence composes with nothing, and a character with a boundary before it
        // starts a new composition whatever follows.
        const bool mayBeCutOff = c < 0 && length - i < U8_MAX_LENGTH;
        if (!mayBeCutOff && (c < 0 || Nfc().hasBoundaryBefore(c))) {
            return static_cast<std::size_t>(i);
        }
    }
    return 0;
}

} // namespace orvani
