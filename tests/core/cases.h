#pragma once

#include "test_names.h"

#include <gtest/gtest.h>
#include <orvani/standard.h>

#include <ostream>
#include <string>

namespace orvani::testing {

inline constexpr ConversionOptions kNoFlags{.a = false, .ohUh = false};
inline constexpr ConversionOptions kA{.a = true, .ohUh = false};
inline constexpr ConversionOptions kOhUh{.a = false, .ohUh = true};
inline constexpr ConversionOptions kBoth{.a = true, .ohUh = true};

// One row of a conversion table: a text, the options, and what must come out.
struct Case {
    std::u32string input;
    ConversionOptions options;
    std::u32string expected;
};

inline std::ostream& operator<<(std::ostream& os, const Case& c) {
    return os << Escaped(c.input) << " with " << OptionsName(c.options);
}

// Where the UTF-8 road tells that NFC might change the text around a character: from U+0300
// on, but for the General Punctuation that the vector scans pass unchanged.
inline constexpr bool RoadSaysNfcMayChange(char32_t c) {
    return c >= 0x300 && (c < 0x2002 || c > 0x207F);
}

inline std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return ReadableName(info.param.input, "with_" + OptionsName(info.param.options), info.index);
}

} // namespace orvani::testing
