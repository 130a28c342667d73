#pragma once

#include "lower_case_table.h"

#include <cstddef>
#include <cstdint>

namespace orvani::detail {

// Unicode's simple lower-case mapping, as ICU's u_tolower gives it: one character to one
// character, the same in every locale.
[[nodiscard]] constexpr char32_t LowerCase(char32_t c) noexcept {
    if (c < 0x80) {
        return (c >= U'A' && c <= U'Z') ? c + (U'a' - U'A') : c;
    }
    // Past the last run's block, and so beyond Unicode too, nothing has a lower case.
    const std::size_t block = c >> kLowerCaseBlockShift;
    if (block + 1 >= kLowerCaseBlocks.size()) {
        return c;
    }
    // The last run that starts at or before c: the span and flag bits of the key are all set.
    const std::uint32_t key = c << kLowerCaseSpanShift | ((1u << kLowerCaseSpanShift) - 1);
    std::size_t first = kLowerCaseBlocks[block];
    for (std::size_t count = kLowerCaseBlocks[block + 1] - first + 1; count > 1;) {
        const std::size_t half = count / 2;
        if (kLowerCaseRuns[first + half].packed <= key) {
            first += half;
        }
        count -= half;
    }
    const LowerCaseRun run = kLowerCaseRuns[first];
    // Wraps to beyond any span when c lies before the first run.
    const std::uint32_t offset = c - (run.packed >> kLowerCaseSpanShift);
    const std::uint32_t span = run.packed >> 1 & ((1u << (kLowerCaseSpanShift - 1)) - 1);
    const bool alternate = (run.packed & 1) != 0;
    if (offset > span || (alternate && (offset & 1) != 0)) {
        return c;
    }
    return static_cast<char32_t>(static_cast<std::int32_t>(c) + run.difference);
}

} // namespace orvani::detail
