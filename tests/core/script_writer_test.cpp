#include "test_names.h"

#include <gtest/gtest.h>
#include <orvani/script.h>

#include <ostream>

namespace orvani {
namespace {

struct ScriptCase {
    std::u32string text;
    std::u32string script;
};

void PrintTo(const ScriptCase& c, std::ostream* os) {
    *os << testing::Escaped(c.text) << " writes as " << testing::Escaped(c.script);
}

std::string ScriptCaseName(const ::testing::TestParamInfo<ScriptCase>& info) {
    return testing::ReadableName(info.param.text, "", info.index);
}

class ScriptWriterTest : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptWriterTest, WritesLetterCodes) {
    EXPECT_EQ(OutS(GetParam().text, DocumentType::Plain), GetParam().script);
}

INSTANTIATE_TEST_SUITE_P(EveryRow, ScriptWriterTest,
                         ::testing::Values(ScriptCase{U"šxkáíæéþðdóçúc", U"SkKIEqATdDOcUx"}),
                         ScriptCaseName);

INSTANTIATE_TEST_SUITE_P(Examples, ScriptWriterTest,
                         ::testing::Values(ScriptCase{U"šáþ", U"SIT"},
                                           ScriptCase{U"kóð úc", U"KOd Ux"},
                                           ScriptCase{U"xk", U"kK"}, ScriptCase{U"ðd", U"dD"},
                                           ScriptCase{U"æ", U"q"}, ScriptCase{U"c", U"x"},
                                           ScriptCase{U"", U""}),
                         ScriptCaseName);

INSTANTIATE_TEST_SUITE_P(CapitalsAreLowerCasedFirst, ScriptWriterTest,
                         ::testing::Values(ScriptCase{U"K", U"K"}, ScriptCase{U"D", U"D"},
                                           ScriptCase{U"X", U"k"}, ScriptCase{U"C", U"x"},
                                           ScriptCase{U"Š", U"S"}, ScriptCase{U"B", U"b"},
                                           ScriptCase{U"ÆÞ", U"qT"}),
                         ScriptCaseName);

INSTANTIATE_TEST_SUITE_P(OtherCharacters, ScriptWriterTest,
                         ::testing::Values(ScriptCase{U"a e i o u", U"a e i o u"},
                                           ScriptCase{U"1, 2.", U"1, 2."},
                                           ScriptCase{U"ab\ncd", U"ab\nxD"},
                                           ScriptCase{U"y q", U"y q"}),
                         ScriptCaseName);

INSTANTIATE_TEST_SUITE_P(TypedYDiaeresis, ScriptWriterTest,
                         ::testing::Values(ScriptCase{U"abÿcd", U"abÿxD"},
                                           ScriptCase{U"ÿabc", U"ÿabx"}, ScriptCase{U"Ÿ", U"ÿ"}),
                         ScriptCaseName);

TEST(ScriptWriter, HtmlYieldsNothing) {
    EXPECT_EQ(OutS(U"šáþ", DocumentType::HTML), U"");
}

} // namespace
} // namespace orvani
