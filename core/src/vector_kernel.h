#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace orvani::detail {

// The look-up tables of the vector scans, derived from a Transcriber's own pieces when it is
// built, so that there is no second copy of any table to keep in step. Every entry is a
// character's output of at most two bytes, in two planes (first and second byte; a second
// byte of 0 means a one-byte piece). Rows of 16 are indexed by a byte's low nibble; the bits
// above it pick the row.
struct KernelTables {
    using Row16 = std::array<std::uint8_t, 16>;
    template <std::size_t N>
    using Rows = std::array<Row16, N>;
    static constexpr std::uint8_t kUnfit = 0xFF; // never a byte of UTF-8

    // ASCII from 0x40 up (0x60 up once letters are folded to lower case: two rows). A first
    // byte of 0 means the character itself, as every ASCII character outside the rows is.
    bool foldsCase = false;
    Rows<4> asciiFirst{};
    Rows<4> asciiSecond{};

    // The letters of C3 xx (rows 0-3) and C5 xx (rows 4-7) by the low six bits of their
    // second byte. kUnfit in the first plane leaves the character to the scalar road.
    Rows<8> latinFirst{};
    Rows<8> latinSecond{};
    // Characters that pass unchanged, byte for byte: U+0080-U+00BF (C2 xx) and the General
    // Punctuation of U+2000-U+207F (E2 80 xx, E2 81 xx).
    bool c2Passes = false;
    bool punctuationPasses = false;

    // Two-letter spellings, by a perfect hash of their two (case-folded) letters: each first
    // letter's start value and each second letter's end value (0: none) add, modulo 16, to
    // the spelling's slot, which holds its start value as a check and its piece.
    Rows<2> pairStart{};
    Rows<2> pairEnd{};
    Row16 pairCheck{};
    Row16 pairFirst{};
    Row16 pairSecond{};

    bool letters = false; // the letter scan may run
    bool pairs = false;   // the scan with two-letter spellings may run
};

// Whether this processor runs the AVX2 scans; false where they are not built.
[[nodiscard]] bool VectorScansAvailable() noexcept;

// The vector scans. They convert blocks of 32 bytes for as long as at least `kScanReach`
// bytes are left, taking ASCII, the C3 and C5 letters of the tables and the characters that
// pass unchanged, and return where they stopped: short of the end, or before a character
// that the scalar road must take (invalid UTF-8 included). They write as the scalar road
// does, at most 2 bytes per input byte plus 16 bytes of scratch past the end of what they
// write.
inline constexpr std::ptrdiff_t kScanReach = 32;

// Returns at a character boundary.
const char* ScanLettersAvx2(const KernelTables& tables, const char* p, const char* end,
                            char*& out) noexcept;
// With two-letter spellings. `p[-1]` must be the previous character, ASCII and not yet
// written unless `taken` (taken into a spelling as its second letter); both hold again on
// return.
const char* ScanPairsAvx2(const KernelTables& tables, const char* p, const char* end, char*& out,
                          bool& taken) noexcept;
// Where [p, end) stops being ASCII and two-byte UTF-8 below U+0300, to within the last 32
// bytes.
const char* SkipUtf8Avx2(const char* p, const char* end) noexcept;

} // namespace orvani::detail
