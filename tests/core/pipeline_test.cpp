#include "cases.h"

#include <gtest/gtest.h>
#include <orvani/pipeline.h>

namespace orvani {
namespace {

using namespace orvani::testing;

constexpr std::optional<Standard> kNoStandard = std::nullopt;

TEST(ConvertText, WorkedExamplesThroughThePivot) {
    const struct {
        Standard source;
        Standard target;
        ConversionOptions options;
        std::u32string input;
        std::u32string expected;
    } cases[] = {
        {Standard::Old, Standard::New, kA, U"Kheetsoy dhath, ohm uhr", U"xícó ðæþ, ohm uhr"},
        {Standard::Old, Standard::Script, kA, U"Kheetsoy dhath", U"kExO dqT"},
        {Standard::Script, Standard::Old, kNoFlags, U"kExO dqT", U"kheetsoy dhath"},
        {Standard::Old, Standard::Old, kOhUh, U"Ohm dhath", U"ohm dhahth"},
        {Standard::New, Standard::New, kBoth, U"aÿb", U"aÿb"},
        {Standard::New, Standard::Script, kBoth, U"aÿb", U"aÿb"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConvertText(c.input, c.source, c.target, DocumentType::Plain, c.options),
                  c.expected)
            << DisplayName(c.source) << " to " << DisplayName(c.target);
    }
}

TEST(ConvertText, HtmlKeepsOnlyNewToNew) {
    for (const Standard source : kStandards) {
        for (const Standard target : kStandards) {
            const std::u32string expected =
                source == Standard::New && target == Standard::New ? U"Šóm ÿ a" : U"";
            EXPECT_EQ(ConvertText(U"Šóm ÿ a", source, target, DocumentType::HTML, kBoth), expected)
                << DisplayName(source) << " to " << DisplayName(target);
        }
    }
}

TEST(ConvertText, AMissingStandardYieldsTheEmptyText) {
    for (const Standard standard : kStandards) {
        EXPECT_EQ(ConvertText(U"Kheetsoy", kNoStandard, standard, DocumentType::Plain, kA), U"");
        EXPECT_EQ(ConvertText(U"Kheetsoy", standard, kNoStandard, DocumentType::Plain, kA), U"");
    }
    EXPECT_EQ(ConvertText(U"Kheetsoy", kNoStandard, kNoStandard, DocumentType::Plain, kA), U"");
}

// Values that are no characters (surrogates, beyond U+10FFFF) pass the code-point road as
// they came; none of them may end the text early.
TEST(ConvertText, PassesValuesThatAreNoCharacters) {
    const std::u32string strange{U'a', char32_t{0xD800},     U'b', char32_t{0x110000},
                                 U'c', char32_t{0xFFFFFFFE}, U'd', char32_t{0xFFFFFFFF},
                                 U'e'};
    for (const Standard source : kStandards) {
        for (const Standard target : kStandards) {
            const std::u32string result =
                ConvertText(strange, source, target, DocumentType::Plain, kNoFlags);
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
