#include <orvani/normalization.h>
#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace orvani {
namespace {

constexpr char32_t kFirstChanging = 0x300; // nothing below combines or decomposes
constexpr unsigned char kFirstChangingLead = 0xCC;

const icu::Normalizer2& Nfc() {
    UErrorCode status = U_ZERO_ERROR;
    // ICU's built-in data: the instance exists for the life of the process.
    return *icu::Normalizer2::getNFCInstance(status);
}

// A character that NFC leaves as it is and that composes with nothing before it. It may still
// compose with a combining mark after it, but such a mark is not one of these.
bool UnchangedWhateverSurroundsIt(UChar32 c) {
    return Nfc().hasBoundaryBefore(c) &&
           u_getIntPropertyValue(c, UCHAR_NFC_QUICK_CHECK) == UNORM_YES;
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
    // Texts repeat the few such characters they hold (dashes, quotation marks, the letters of
    // another script): a small cache of those known to be unchanged spares most of ICU's
    // look-ups.
    std::array<UChar32, 64> knownUnchanged{};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const auto length = static_cast<std::int32_t>(utf8.size());
    std::int32_t next = 0; // where the next character starts, past those looked at
    const auto mayChangeAt = [&](std::int32_t i) {
        if (i < next) {
            return false; // inside a character already looked at
        }
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        next = i;
        if (c < 0) {
            return false; // not text: for whoever reads it to report
        }
        UChar32& cached = knownUnchanged[static_cast<std::size_t>(c) % knownUnchanged.size()];
        if (cached == c) {
            return false;
        }
        if (!UnchangedWhateverSurroundsIt(c)) {
            return true;
        }
        cached = c;
        return false;
    };
    std::size_t i = 0;
#ifdef __SSE2__
    // 64 bytes at a time, a bit for each lead byte from 0xCC on; most blocks have none.
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i belowLead = _mm_set1_epi8(static_cast<char>(kFirstChangingLead ^ 0x80) - 1);
    for (; i + 64 <= utf8.size(); i += 64) {
        std::uint64_t leads = 0;
        for (std::size_t part = 0; part < 4; ++part) {
            const __m128i block =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(utf8.data() + i + 16 * part));
            const __m128i high = _mm_cmpgt_epi8(_mm_xor_si128(block, flip), belowLead);
            leads |= std::uint64_t(static_cast<std::uint16_t>(_mm_movemask_epi8(high)))
                     << (16 * part);
        }
        for (; leads != 0; leads &= leads - 1) {
            if (mayChangeAt(static_cast<std::int32_t>(i) + std::countr_zero(leads))) {
                return true;
            }
        }
    }
#endif
    for (; i < utf8.size(); ++i) {
        if (bytes[i] >= kFirstChangingLead && mayChangeAt(static_cast<std::int32_t>(i))) {
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
