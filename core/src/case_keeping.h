#pragma once

#include "letter_table.h"
#include "transcriber.h"

#include <orvani/pipeline.h>
#include <orvani/standard.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace orvani::detail {

// The letter that lower-cases to `c`, for letters below kLetterBound (the New letters and
// their spellings); `c` itself where there is none.
[[nodiscard]] char32_t UpperCaseLetter(char32_t c) noexcept;

// The conversion between Old and New that keeps capitals: the same rows as the lower-casing
// one, read and written a character at a time. A piece read from a spelling that begins with
// a capital begins with one; a capital written with two letters is written in capitals where
// its word is ("ŠÚ" to "SHOO"), and else with its first letter only ("Šú" to "Shoo").
// Characters without a row pass exactly as they came.
class CaseKeeping {
public:
    // A missing reader or writer passes the text through; neither may be the script's.
    CaseKeeping(const ScanRules* reader, const ScanRules* writer, ConversionOptions options);

    // The most UTF-8 bytes written for each byte read, besides kHeldUtf8.
    static constexpr std::size_t kUtf8Growth = 4;
    // The most UTF-8 bytes that the held letters write, at once or at the end.
    static constexpr std::size_t kHeldUtf8 = 64;

    // The most characters that feed() or finish() writes at once.
    static constexpr std::size_t kMostWritten = 12;

    // Writes the conversion of `c`, the next character, from `out` on; returns its end.
    char32_t* feed(char32_t c, CaseState& state, char32_t* out) const;
    // Writes what the held letters write; the state is then fresh.
    char32_t* finish(CaseState& state, char32_t* out) const;

    // Whether `held`, a letter the reader holds, spells one letter with `next`.
    [[nodiscard]] bool pairs(char32_t held, char32_t next) const noexcept;

private:
    static constexpr std::uint8_t kNoPair = 0xFF;

    // Reads `first`, alone or with `second` as one spelling, into the writer.
    char32_t* read(char32_t first, const char32_t* second, CaseState& state, char32_t* out) const;
    char32_t* write(char32_t c, CaseState& state, char32_t* out) const;
    char32_t* writeHeld(const char32_t* next, CaseState& state, char32_t* out) const;

    bool reads_;
    bool writes_;
    ConversionOptions options_;
    LetterStage reader_;
    LetterStage writer_;
    std::span<const Row> readerRows_;
    // For two small ASCII letters, the row of the reader that spells them, or kNoPair; and
    // whether a letter begins any such spelling.
    std::array<std::array<std::uint8_t, 26>, 26> pairRow_{};
    std::array<bool, 26> beginsPair_{};
};

} // namespace orvani::detail
