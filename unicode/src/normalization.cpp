#include <orvani/internal/utf8.h>
#include <orvani/normalization.h>
#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace orvani {
namespace {

using internal::DecodeUtf8;
using internal::Utf8Char;
using internal::Utf8Status;

constexpr char32_t kFirstChanging = 0x300; // nothing below combines or decomposes
constexpr unsigned char kFirstChangingLead = 0xCC;

// ICU measures text in int32_t: longer runs are normalised in parts cut at a character that
// starts a composition of its own, which NFC does not carry anything across.
constexpr std::size_t kLongestIcuRun = std::size_t{1} << 28;

// ICU's built-in data, there for the life of the process, or null where it cannot be loaded.
const icu::Normalizer2* NfcOrNull() noexcept {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    return U_SUCCESS(status) ? nfc : nullptr;
}

const icu::Normalizer2& Nfc() {
    const icu::Normalizer2* nfc = NfcOrNull();
    if (nfc == nullptr) {
        throw std::runtime_error("ICU's Unicode normalization data cannot be loaded");
    }
    return *nfc;
}

void Check(UErrorCode status) {
    if (status == U_MEMORY_ALLOCATION_ERROR) {
        throw std::bad_alloc();
    }
    if (U_FAILURE(status)) {
        throw std::runtime_error(std::string("Unicode normalization failed: ") +
                                 u_errorName(status));
    }
}

bool BoundaryBefore(const icu::Normalizer2& nfc, char32_t c) {
    return c < kFirstChanging || nfc.hasBoundaryBefore(static_cast<UChar32>(c));
}

// A character that NFC leaves as it is and that composes with nothing before it. It may still
// compose with a combining mark after it, but such a mark is not one of these.
bool UnchangedWhateverSurroundsIt(const icu::Normalizer2& nfc, char32_t c) {
    return nfc.hasBoundaryBefore(static_cast<UChar32>(c)) &&
           u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_NFC_QUICK_CHECK) == UNORM_YES;
}

bool IsCharacter(char32_t c) {
    return c < 0x110000 && (c < 0xD800 || c > 0xDFFF);
}

// Where to cut `run`, longer than ICU takes, at or before `limit`: at a character with a
// boundary before it, or else at any character.
template <typename Run, typename Starts>
std::size_t CutBefore(const icu::Normalizer2& nfc, const Run& run, std::size_t limit,
                      Starts&& characterAt) {
    for (std::size_t at = limit; at > limit / 2; --at) {
        if (const auto c = characterAt(run, at); c && BoundaryBefore(nfc, *c)) {
            return at;
        }
    }
    for (std::size_t at = limit; at > 0; --at) {
        if (characterAt(run, at)) {
            return at;
        }
    }
    return limit;
}

void AppendNfc(std::u32string_view run, std::u32string& out) {
    const icu::Normalizer2& nfc = Nfc();
    while (!run.empty()) {
        std::size_t part = run.size();
        if (part > kLongestIcuRun) {
            part =
                CutBefore(nfc, run, kLongestIcuRun, [](std::u32string_view text, std::size_t at) {
                    return std::optional<char32_t>(text[at]);
                });
        }
        UErrorCode status = U_ZERO_ERROR;
        const icu::UnicodeString text = icu::UnicodeString::fromUTF32(
            reinterpret_cast<const UChar32*>(run.data()), static_cast<std::int32_t>(part));
        if (text.isBogus()) {
            throw std::bad_alloc();
        }
        const icu::UnicodeString normal = nfc.normalize(text, status);
        Check(status);
        const std::size_t used = out.size();
        out.resize(used + static_cast<std::size_t>(normal.countChar32()));
        normal.toUTF32(reinterpret_cast<UChar32*>(out.data() + used),
                       static_cast<std::int32_t>(out.size() - used), status);
        Check(status);
        run.remove_prefix(part);
    }
}

// Valid UTF-8 `run`.
void AppendNfc(std::string_view run, std::string& out) {
    if (!NfcMayChange(run)) {
        out.append(run);
        return;
    }
    const icu::Normalizer2& nfc = Nfc();
    while (!run.empty()) {
        std::size_t part = run.size();
        if (part > kLongestIcuRun) {
            part = CutBefore(nfc, run, kLongestIcuRun,
                             [](std::string_view text, std::size_t at) -> std::optional<char32_t> {
                                 if (internal::IsUtf8Continuation(text[at])) {
                                     return std::nullopt;
                                 }
                                 return DecodeUtf8(text, at).c;
                             });
        }
        UErrorCode status = U_ZERO_ERROR;
        icu::StringByteSink<std::string> sink(&out, static_cast<std::int32_t>(part));
        nfc.normalizeUTF8(0, icu::StringPiece(run.data(), static_cast<std::int32_t>(part)), sink,
                          nullptr, status);
        Check(status);
        run.remove_prefix(part);
    }
}

// UTF-8 `text` with its invalid sequences kept byte for byte: nothing composes across them.
void AppendNfcOfAny(std::string_view text, std::string& out) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t bad = internal::FindInvalidUtf8(text.substr(i));
        if (bad == std::string_view::npos) {
            break;
        }
        const std::size_t at = i + bad;
        const Utf8Char read = DecodeUtf8(text, at);
        AppendNfc(text.substr(run, at - run), out);
        out.append(text.substr(at, read.length));
        i = at + read.length;
        run = i;
    }
    AppendNfc(text.substr(run), out);
}

// The character that ends at `end` (a character start or the end of `text`), and where it
// starts: bytes that are no character come one at a time, as invalid, but for a character
// that the end of `text` cuts off, which comes whole, as truncated.
std::pair<std::size_t, Utf8Char> CharacterBefore(std::string_view text, std::size_t end) {
    for (std::size_t back = 1; back <= internal::kLongestUtf8 && back <= end; ++back) {
        const std::size_t start = end - back;
        if (!internal::IsUtf8Continuation(text[start])) {
            const Utf8Char read = DecodeUtf8(text.data() + start, text.data() + end);
            if (read.length == back) {
                return {start, read};
            }
            break;
        }
    }
    return {end - 1, Utf8Char{0xFFFD, 1, Utf8Status::Invalid}};
}

// The length of the longest prefix of `text` that no text following it can change under NFC:
// everything before its last character with a boundary before it (or that is no character),
// or before a character that the end cuts off.
std::size_t StablePrefix(const icu::Normalizer2& nfc, std::string_view text) {
    std::size_t end = text.size();
    while (end > 0) {
        const auto [start, read] = CharacterBefore(text, end);
        // Bytes near the end that are no character may be one that the next piece completes.
        const bool mayBeCutOff =
            read.status != Utf8Status::Valid && text.size() - start < internal::kLongestUtf8;
        if (!mayBeCutOff && (read.status != Utf8Status::Valid || BoundaryBefore(nfc, read.c))) {
            return start;
        }
        end = start;
    }
    return 0;
}

// The first place at or after `from` (within [from, to)) where a character starts that has a
// boundary before it, or bytes that are no character; `to` if there is none, or if a
// character that `to` cuts off comes first. Bytes that go on a character begun before `from`
// are passed over.
std::size_t FirstBoundary(const icu::Normalizer2& nfc, std::string_view text, std::size_t from,
                          std::size_t to) {
    std::size_t i = std::min(internal::CharacterStartFrom(text, from), to);
    while (i < to) {
        const Utf8Char read = DecodeUtf8(text.substr(0, to), i);
        if (read.status == Utf8Status::Truncated) {
            return to; // what the next piece completes may yet compose
        }
        if (read.status != Utf8Status::Valid || BoundaryBefore(nfc, read.c)) {
            return i;
        }
        i += read.length;
    }
    return to;
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
    AppendNfcOfAny(utf8, out);
    return out;
}

bool NfcMayChange(std::string_view utf8) noexcept {
    const icu::Normalizer2* nfc = NfcOrNull();
    // Texts repeat the few such characters they hold (dashes, quotation marks, the letters of
    // another script): a small cache of those known to be unchanged spares most of ICU's
    // look-ups.
    std::array<char32_t, 64> knownUnchanged{};
    std::size_t next = 0; // where the next character starts, past those looked at
    const auto mayChangeAt = [&](std::size_t i) {
        if (i < next) {
            return false; // inside a character already looked at
        }
        const Utf8Char read = DecodeUtf8(utf8, i);
        next = i + read.length;
        if (read.status != Utf8Status::Valid) {
            return false; // not text: for whoever reads it to report
        }
        char32_t& cached = knownUnchanged[read.c % knownUnchanged.size()];
        if (cached == read.c) {
            return false;
        }
        // Without ICU's data, nothing can be said to stay; ToNfc() then reports why.
        if (nfc == nullptr || !UnchangedWhateverSurroundsIt(*nfc, read.c)) {
            return true;
        }
        cached = read.c;
        return false;
    };
    std::size_t i = 0;
#ifdef __SSE2__
    // 64 bytes at a time, a bit for each lead byte from 0xCC on; most blocks have none, which
    // their largest byte tells.
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i belowLead = _mm_set1_epi8(static_cast<char>(kFirstChangingLead ^ 0x80) - 1);
    const __m128i leadMinusOne = _mm_set1_epi8(static_cast<char>(kFirstChangingLead - 1));
    for (; i + 64 <= utf8.size(); i += 64) {
        __m128i blocks[4];
        for (std::size_t part = 0; part < 4; ++part) {
            blocks[part] =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(utf8.data() + i + 16 * part));
        }
        const __m128i largest =
            _mm_max_epu8(_mm_max_epu8(blocks[0], blocks[1]), _mm_max_epu8(blocks[2], blocks[3]));
        const __m128i over = _mm_subs_epu8(largest, leadMinusOne);
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(over, _mm_setzero_si128())) == 0xFFFF) {
            continue;
        }
        std::uint64_t leads = 0;
        for (std::size_t part = 0; part < 4; ++part) {
            const __m128i high = _mm_cmpgt_epi8(_mm_xor_si128(blocks[part], flip), belowLead);
            leads |= std::uint64_t(static_cast<std::uint16_t>(_mm_movemask_epi8(high)))
                     << (16 * part);
        }
        for (; leads != 0; leads &= leads - 1) {
            if (mayChangeAt(i + static_cast<std::size_t>(std::countr_zero(leads)))) {
                return true;
            }
        }
    }
#endif
    for (; i < utf8.size(); ++i) {
        if (static_cast<unsigned char>(utf8[i]) >= kFirstChangingLead && mayChangeAt(i)) {
            return true;
        }
    }
    return false;
}

std::size_t NfcStream::feed(std::string_view utf8, std::string& out) {
    const icu::Normalizer2& nfc = Nfc();
    std::size_t earlier = 0;
    if (!held_.empty()) {
        // What was held goes on up to the first character of this piece that starts a
        // composition of its own.
        const std::size_t boundary = FirstBoundary(nfc, utf8, 0, utf8.size());
        held_.append(utf8.substr(0, boundary));
        utf8.remove_prefix(boundary);
        if (utf8.empty()) {
            const std::size_t stable = StablePrefix(nfc, held_);
            if (stable == 0 && held_.size() <= kLongestHeldTail) {
                return 0;
            }
            const std::size_t cut =
                stable != 0 ? stable : CharacterBefore(held_, held_.size()).first;
            const std::size_t used = out.size();
            AppendNfcOfAny(std::string_view(held_).substr(0, cut), out);
            held_.erase(0, cut);
            return out.size() - used;
        }
        const std::size_t used = out.size();
        AppendNfcOfAny(held_, out);
        earlier = out.size() - used;
        held_.clear();
    }
    std::size_t stable = StablePrefix(nfc, utf8);
    if (stable == 0 && utf8.size() > kLongestHeldTail) {
        stable = CharacterBefore(utf8, utf8.size()).first;
    }
    AppendNfcOfAny(utf8.substr(0, stable), out);
    held_.assign(utf8.substr(stable));
    return earlier;
}

void NfcStream::finish(std::string& out) {
    AppendNfcOfAny(held_, out);
    held_.clear();
}

std::string NfcStream::takeHeld() noexcept {
    return std::exchange(held_, {});
}

} // namespace orvani
