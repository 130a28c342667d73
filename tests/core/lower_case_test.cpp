#include "lower_case.h"

#include <gtest/gtest.h>

#include <ios>
#include <utility>

namespace {

using orvani::detail::LowerCase;

// The core lower-cases in constant expressions too.
static_assert(LowerCase(U'\u212A') == U'k' && LowerCase(U'\u0100') == U'\u0101' &&
              LowerCase(U'\u0101') == U'\u0101');

// A few mappings of each kind of run, for builds that have no ICU to compare every code point
// with (lower_case_icu_test.cpp).
TEST(LowerCase, MapsEachKindOfRun) {
    for (const auto& [c, lower] : {
             std::pair{U'A', U'a'},           // ASCII
             std::pair{U'\u00C0', U'\u00E0'}, // a whole alphabet apart
             std::pair{U'\u00D7', U'\u00D7'}, // a gap between runs
             std::pair{U'\u0102', U'\u0103'}, // capitals and small letters alternating
             std::pair{U'\u0103', U'\u0103'},
             std::pair{U'\u0130', U'i'}, // into ASCII
             std::pair{U'\u03A3', U'\u03C3'},
             std::pair{U'\u1E9E', U'\u00DF'},         // a negative difference
             std::pair{U'\U00010400', U'\U00010428'}, // beyond the Basic Multilingual Plane
             std::pair{U'\U0001F600', U'\U0001F600'},
         }) {
        EXPECT_EQ(LowerCase(c), lower) << "U+" << std::hex << static_cast<unsigned>(c);
    }
}

// Beyond Unicode nothing changes, however large the value.
TEST(LowerCase, LeavesValuesBeyondUnicode) {
    for (const char32_t c : {char32_t{0x110000}, char32_t{0x200041}, char32_t{0xFFFFFFFF}}) {
        EXPECT_EQ(LowerCase(c), c) << std::hex << static_cast<unsigned>(c);
    }
}

} // namespace
