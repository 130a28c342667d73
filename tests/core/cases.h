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

inline std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return ReadableName(info.param.input, "with_" + OptionsName(info.param.options), info.index);
}

} // namespace orvani::testing
