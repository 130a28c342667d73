#include "lower_case.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/uversion.h>

#include <cstdio>
#include <string>

namespace {

using orvani::detail::LowerCase;

std::string Hex(char32_t c) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

TEST(LowerCase, IsIcusSimpleMappingOnEveryCodePoint) {
    std::size_t mismatches = 0;
    std::string first;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        const auto expected = static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
        const char32_t got = LowerCase(c);
        if (got != expected && ++mismatches <= 8) {
            first += "\n  " + Hex(c) + " gives " + Hex(got) + ", ICU " + Hex(expected);
        }
    }
    UVersionInfo icu;
    u_getUnicodeVersion(icu);
    const auto& table = orvani::detail::kLowerCaseUnicodeVersion;
    EXPECT_EQ(mismatches, 0u) << "the table has Unicode " << table[0] << '.' << table[1] << '.'
                              << table[2] << ", ICU " U_ICU_VERSION " Unicode " << int{icu[0]}
                              << '.' << int{icu[1]} << '.' << int{icu[2]} << "; first:" << first;
}

} // namespace
