#include "cases.h"
#include "expected_conversions.h"
#include "unicode_text.h"

#include <gtest/gtest.h>
#include <orvani/old_standard.h>
#include <orvani/pipeline.h>
#include <orvani/script.h>

namespace orvani {
namespace {

using namespace orvani::testing;

// The table that every front end is held to, on both of the core's roads.
TEST(ConvertText, GivesEveryExpectedConversion) {
    for (const ExpectedConversion& row : ExpectedConversions()) {
        if (row.needsNfc) {
            continue;
        }
        EXPECT_EQ(Utf8(ConvertText(CodePoints(row.text), row.source, row.target, row.options)),
                  row.expected)
            << Describe(row);
        EXPECT_EQ(ConvertUtf8(row.text, row.source, row.target, row.options).text, row.expected)
            << Describe(row);
    }
}

// Values that are no characters (surrogates, beyond U+10FFFF) pass the code-point road as
// they came; none of them may end the text early.
TEST(ConvertText, PassesValuesThatAreNoCharacters) {
    const std::u32string strange{U'a', char32_t{0xD800},     U'b', char32_t{0x110000},
                                 U'c', char32_t{0xFFFFFFFE}, U'd', char32_t{0xFFFFFFFF},
                                 U'e'};
    for (const Standard source : kStandards) {
        for (const Standard target : kStandards) {
            const std::u32string result = ConvertText(strange, source, target, kNoFlags);
            for (const char32_t value : {char32_t{0xD800}, char32_t{0x110000}, char32_t{0xFFFFFFFE},
                                         char32_t{0xFFFFFFFF}}) {
                EXPECT_NE(result.find(value), std::u32string::npos)
                    << DisplayName(source) << " to " << DisplayName(target);
            }
            EXPECT_EQ(result.back(), target == Standard::Old ? U'h' : U'e');
        }
    }
}

TEST(RoundTrip, ScriptToNewToScript) {
    const struct {
        std::u32string script;
        std::u32string back;
    } cases[] = {
        {U"SkKIEADTdOcUxq", U"SkKIEADTdOcUxq"},
        {U"abefghijlmnoprstuvwyz 0123456789 .,;:!?-'\"",
         U"abefghijlmnoprstuvwyz 0123456789 .,;:!?-'\""},
        {U"XYC", U"xqx"},
        {U"BFGHJLMNPQRVWZ", U"bfghjlmnpqrvwz"},
        {U"š", U"S"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OutS(ConvS(c.script, DocumentType::Plain), DocumentType::Plain), c.back);
    }
}

TEST(RoundTrip, NewToScriptToNew) {
    const struct {
        std::u32string text;
        std::u32string back;
    } cases[] = {
        {U"šxkáíæéþðdóçúc abefghijlmnoprstuvwyz 0123456789 .,!",
         U"šxkáíæéþðdóçúc abefghijlmnoprstuvwyz 0123456789 .,!"},
        {U"q", U"æ"},
        {U"Kóc", U"kóc"},
        {U"ŠÁÍ", U"šáí"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConvS(OutS(c.text, DocumentType::Plain), DocumentType::Plain), c.back);
    }
}

TEST(RoundTrip, OldToNewToOld) {
    const std::u32string pivot = ConvA(U"Kheetsoy dhath", DocumentType::Plain, kNoFlags);
    EXPECT_EQ(pivot, U"xícó ðaþ");
    EXPECT_EQ(OutA(pivot, DocumentType::Plain, kNoFlags), U"kheetsoy dhahth");
}

} // namespace
} // namespace orvani
