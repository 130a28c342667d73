#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace orvani::detail {

// The look-up tables of the vector scans, derived from a Transcriber's own pieces when it is
// built, so that there is no second copy of any table to keep in step. Every entry is a
// character's output of at most two bytes, in two planes (first and second byte; a second
// byte of 0 means a one-byte piece). kUnfit in the first plane marks a character that the
// vector scans leave to the scalar road.
struct KernelTables {
    using Row16 = std::array<std::uint8_t, 16>;
    static constexpr std::uint8_t kUnfit = 0xFF; // never a byte of UTF-8

    // Groups 0-7: ASCII by high nibble; 8-11: the second bytes of C3 xx by high nibble;
    // 12-15: those of C5 xx. Rows indexed by the low nibble.
    std::array<Row16, 16> first{};
    std::array<Row16, 16> second{};
    // The groups that the scans look up: ASCII groups whose pieces are not the character
    // itself come first (asciiGroups of them), then, for the letter scan, the two-byte groups.
    std::array<std::uint8_t, 16> groups{};
    std::uint8_t asciiGroups = 0;
    std::uint8_t groupCount = 0;

    // Two-letter spellings: each ASCII character's place among their letters (0: none),
    // by high nibble; and, for each second letter (columns), the pair's piece by first place.
    std::array<Row16, 8> place{};
    std::array<std::uint8_t, 8> placeGroups{};
    std::uint8_t placeGroupCount = 0;
    std::array<Row16, 16> pairFirst{};
    std::array<Row16, 16> pairSecond{};
    std::array<std::uint8_t, 16> columnPlace{};
    std::uint8_t columnCount = 0;

    bool letters = false; // the letter scan may run
    bool pairs = false;   // the scan with two-letter spellings may run
};

// Whether this processor runs the AVX2 scans; false where they are not built.
[[nodiscard]] bool VectorScansAvailable() noexcept;

// The vector scans. Each converts whole blocks of 32 bytes from `p` for as long as a block
// starts with something it can take, and returns where it stopped: at fewer than 32 bytes
// before `end`, or at a character that the scalar road must take (anything but ASCII and
// fitting C3/C5 letters, invalid UTF-8 included). They write as the scalar road does, and at
// most 2 bytes per input byte plus 16 bytes of scratch past the end of what they write.
const char* ScanLettersAvx2(const KernelTables& tables, const char* p, const char* end,
                            char*& out) noexcept;
// With two-letter spellings, on ASCII only. `p[-1]` must be the previous character, ASCII and
// not yet written unless `taken` (taken into a spelling as its second letter); both hold again
// on return.
const char* ScanPairsAvx2(const KernelTables& tables, const char* p, const char* end, char*& out,
                          bool& taken) noexcept;
// Where [p, end) stops being ASCII and two-byte UTF-8, to within the last 32 bytes.
const char* SkipUtf8Avx2(const char* p, const char* end) noexcept;

} // namespace orvani::detail
