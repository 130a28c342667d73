#include "cases.h"

#include <gtest/gtest.h>
#include <orvani/old_standard.h>

namespace orvani {
namespace {

using namespace orvani::testing;

class OldReaderTest : public ::testing::TestWithParam<Case> {};

TEST_P(OldReaderTest, ReadsOldIntoNew) {
    const Case& c = GetParam();
    EXPECT_EQ(ConvA(c.input, DocumentType::Plain, c.options), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRow, OldReaderTest,
    ::testing::Values(Case{U"sh kh ah ih ee eh ay th", kNoFlags, U"š x a i í e é þ"},
                      Case{U"dh oy ch oo ts oh uh a i", kNoFlags, U"ð ó ç ú c oh uh a á"},
                      Case{U"oh uh a i", kBoth, U"o u æ á"},
                      Case{U"b f g j l m n p q r v w y z 0 9 - ,", kBoth,
                           U"b f g j l m n p q r v w y z 0 9 - ,"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(Options, OldReaderTest,
                         ::testing::Values(Case{U"oh", kNoFlags, U"oh"}, Case{U"oh", kOhUh, U"o"},
                                           Case{U"uh", kNoFlags, U"uh"}, Case{U"uh", kOhUh, U"u"},
                                           Case{U"a", kNoFlags, U"a"}, Case{U"a", kA, U"æ"},
                                           Case{U"ah", kNoFlags, U"a"}, Case{U"ah", kBoth, U"a"}),
                         CaseName);

INSTANTIATE_TEST_SUITE_P(CaseFolding, OldReaderTest,
                         ::testing::Values(Case{U"SH", kNoFlags, U"š"}, Case{U"Sh", kNoFlags, U"š"},
                                           Case{U"sH", kNoFlags, U"š"},
                                           Case{U"Hello", kNoFlags, U"hello"},
                                           Case{U"I", kNoFlags, U"á"}, Case{U"A", kA, U"æ"},
                                           Case{U"ÉÞŠ", kNoFlags, U"éþš"},
                                           Case{U"ЖΣ", kNoFlags, U"жσ"}),
                         CaseName);

INSTANTIATE_TEST_SUITE_P(
    GreedyFromTheLeft, OldReaderTest,
    ::testing::Values(Case{U"sh", kNoFlags, U"š"}, Case{U"kh", kNoFlags, U"x"},
                      Case{U"s", kNoFlags, U"s"}, Case{U"as", kNoFlags, U"as"},
                      Case{U"ooh", kNoFlags, U"úh"}, Case{U"shh", kNoFlags, U"šh"},
                      Case{U"tsh", kNoFlags, U"ch"}, Case{U"teh", kNoFlags, U"te"},
                      Case{U"aah", kNoFlags, U"aa"}, Case{U"aah", kA, U"æa"},
                      Case{U"eee", kNoFlags, U"íe"}, Case{U"oooo", kNoFlags, U"úú"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(PassesTheRestThrough, OldReaderTest,
                         ::testing::Values(Case{U"", kBoth, U""},
                                           Case{U"a\r\nb", kNoFlags, U"a\r\nb"},
                                           Case{U"s\th\n", kNoFlags, U"s\th\n"},
                                           Case{U"\uFEFFsh", kNoFlags, U"\uFEFFš"},
                                           Case{U"«shé»", kNoFlags, U"«šé»"}),
                         CaseName);

// "ÿ" is an ordinary letter: it neither ends the text nor joins a two-letter spelling.
INSTANTIATE_TEST_SUITE_P(TypedYDiaeresis, OldReaderTest,
                         ::testing::Values(Case{U"aÿb", kA, U"æÿb"}, Case{U"shÿb", kA, U"šÿb"},
                                           Case{U"AŸB", kA, U"æÿb"}, Case{U"ÿb", kA, U"ÿb"},
                                           Case{U"ÿ", kNoFlags, U"ÿ"},
                                           Case{U"L'Haÿ-les-Roses", kNoFlags, U"l'haÿ-les-roses"}),
                         CaseName);

INSTANTIATE_TEST_SUITE_P(
    WorkedExample, OldReaderTest,
    ::testing::Values(Case{U"Kheetsoy dhath, ohm uhr", kNoFlags, U"xícó ðaþ, ohm uhr"},
                      Case{U"Kheetsoy dhath, ohm uhr", kOhUh, U"xícó ðaþ, om ur"},
                      Case{U"Kheetsoy dhath, ohm uhr", kA, U"xícó ðæþ, ohm uhr"}),
    CaseName);

TEST(OldReader, HtmlYieldsNothing) {
    EXPECT_EQ(ConvA(U"Kheetsoy dhath", DocumentType::HTML, kBoth), U"");
    EXPECT_EQ(ConvA(U"", DocumentType::HTML, kBoth), U"");
}

} // namespace
} // namespace orvani
