#pragma once

#include "letter_table.h"
#include "vector_kernel.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvani::detail {

// What a reader or writer does to one character, outside two-letter spellings: its rows
// indexed by letter, for one set of options. Without rules it passes the character on.
class LetterStage {
public:
    LetterStage() = default;
    LetterStage(const ScanRules& rules, ConversionOptions options);

    // Appends to `out` (room for two more) the piece for `c`; returns how many it appended.
    std::size_t apply(char32_t c, char32_t* out) const;

    [[nodiscard]] bool passesThrough() const noexcept { return rules_.rows.empty(); }
    [[nodiscard]] std::size_t longestPiece() const noexcept;

private:
    ScanRules rules_{};
    ConversionOptions options_{};
    std::array<std::uint8_t, kLetterBound> rowOf_{};
};

// A reader joined to a writer, compiled for one set of options into tables indexed by
// character for everything below U+0180 (ASCII and the New letters), so that the usual text runs
// through a few table look-ups per character. Rarer characters take the general road through
// the same rows. Texts are fed as code points or as UTF-8; the state that a text carries from
// one piece to the next lives in `pending`.
class Transcriber {
public:
    // A letter (below U+0180) held back because the next piece may make it half of a
    // two-letter spelling.
    using Pending = std::optional<char16_t>;

    // Which scans the UTF-8 road may take: the fastest this processor runs, or the scalar
    // one only, the reference that the tests hold the vector scans to.
    enum class Road : std::uint8_t { Fastest, Scalar };

    // A missing reader or writer passes the text through unchanged.
    Transcriber(const ScanRules* reader, const ScanRules* writer, ConversionOptions options,
                Road road = Road::Fastest);

    // Whether the UTF-8 road runs vector scans (for the tests, which hold them to the scalar one).
    [[nodiscard]] bool runsVectorScans() const noexcept {
        return skipsInVector_ || kernel_.letters || kernel_.pairs;
    }

    // The most units that feed() writes for `units` units of input, plus what finish() writes.
    [[nodiscard]] std::size_t maxOutput(std::size_t units, bool utf8) const noexcept;

    // Why a scan stopped short of the end of its text (UTF-8 only).
    enum class Stop : std::uint8_t {
        End,     // it read everything
        Invalid, // at a sequence that is not UTF-8
        CutOff,  // at a sequence that the end cuts off, which more text may complete
    };

    template <typename Unit>
    struct Scan {
        const Unit* stop; // where the scan stopped
        Unit* out;        // the end of what it wrote
        Stop why;
        bool mayCompose = false; // UTF-8 only: see MayCompose()
    };

    // Whether NFC might change `c` or compose it with what is around it: every character from
    // U+0300 on but General Punctuation from U+2002, which the vector scans pass where it lies.
    // Text without one is its own NFC.
    [[nodiscard]] static constexpr bool MayCompose(char32_t c) noexcept {
        return c >= 0x300 && (c < 0x2002 || c > 0x207F);
    }

    // Writes the conversion of [begin, end) from `out` on. UTF-8 is read up to its first
    // invalid sequence, or to a sequence that the end cuts off; code points are all read.
    template <typename Unit>
    Scan<Unit> feed(const Unit* begin, const Unit* end, Unit* out, Pending& pending) const;

    template <typename Unit>
    Unit* finish(Unit* out, Pending& pending) const;

    // Whether the held letter `held` and `next`, the character after it, spell a pair.
    [[nodiscard]] bool pairs(char16_t held, char32_t next) const;

private:
    struct alignas(32) Piece {
        std::array<char32_t, 4> u32{};
        std::array<char, 8> utf8{};
        std::uint8_t u32Length = 0;
        std::uint8_t utf8Length = 0;
    };

    static constexpr char32_t kTabled = kLetterBound; // characters below have table rows
    static constexpr char32_t kNone = kTabled;        // the row of pieces_ that writes nothing
    static constexpr std::uint16_t kNoPair = 0xFFFF;
    static constexpr std::size_t kPairLetters = kPairLetterPlaces;

    Piece compose(const char32_t* pivot, std::size_t length) const;
    // Whether `c` comes out as itself, whatever comes before or after it.
    [[nodiscard]] bool passesUnchanged(char32_t c) const;
    void buildKernelTables();
    template <typename Unit>
    Unit* writeLetter(char32_t c, Unit* out) const;
    template <typename Unit>
    Scan<Unit> feedLetters(const Unit* p, const Unit* end, Unit* out) const;
    template <typename Unit>
    Scan<Unit> feedWithPairs(const Unit* p, const Unit* end, Unit* out, Pending& pending) const;

    LetterStage reader_;
    LetterStage writer_;
    bool readsPairs_ = false;
    bool passesThrough_ = false;
    std::size_t growth8_ = 1;
    std::size_t growth32_ = 1;
    // Below kTabled: each character read as a single letter and written; kNone: nothing;
    // further rows: the two-letter spellings, written.
    std::vector<Piece> pieces_;
    // For reading pairs: each character's place among the letters that two-letter spellings
    // use, once lower-cased (0: none); and, for two such places, the row of pieces_ that they
    // spell together, or kNoPair.
    std::vector<std::uint8_t> pairLetter_;
    std::array<std::uint16_t, kPairLetters * kPairLetters> pairs_{};
    // The vector scans' tables, derived from the rows above; which scans run is in them.
    bool skipsInVector_ = false;
    KernelTables kernel_{};
};

} // namespace orvani::detail
