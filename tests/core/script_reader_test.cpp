#include "test_names.h"

#include <gtest/gtest.h>
#include <orvani/script.h>

#include <ostream>

namespace orvani {
namespace {

struct ScriptCase {
    std::u32string script;
    std::u32string text;
};

void PrintTo(const ScriptCase& c, std::ostream* os) {
    *os << testing::Escaped(c.script) << " reads as " << testing::Escaped(c.text);
}

std::string ScriptCaseName(const ::testing::TestParamInfo<ScriptCase>& info) {
    return testing::ReadableName(info.param.script, "", info.index);
}

class ScriptReaderTest : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptReaderTest, ReadsLetterCodesAsTyped) {
    EXPECT_EQ(ConvS(GetParam().script, DocumentType::Plain), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(EveryRow, ScriptReaderTest,
                         ::testing::Values(ScriptCase{U"SkKIEADTdOcUxXYq", U"šxkáíédþðóçúccææ"}),
                         ScriptCaseName);

INSTANTIATE_TEST_SUITE_P(Examples, ScriptReaderTest,
                         ::testing::Values(ScriptCase{U"SIT", U"šáþ"},
                                           ScriptCase{U"KOd Ux", U"kóð úc"},
                                           ScriptCase{U"kK", U"xk"}, ScriptCase{U"dD", U"ðd"},
                                           ScriptCase{U"xX", U"cc"}, ScriptCase{U"Yq", U"ææ"},
                                           ScriptCase{U"", U""}),
                         ScriptCaseName);

INSTANTIATE_TEST_SUITE_P(OtherCharacters, ScriptReaderTest,
                         ::testing::Values(ScriptCase{U"BGZ", U"bgz"}, ScriptCase{U"C", U"c"},
                                           ScriptCase{U"a e i o u", U"a e i o u"},
                                           ScriptCase{U"1, 2.", U"1, 2."},
                                           ScriptCase{U"ab\r\ncd", U"ab\r\nçð"},
                                           ScriptCase{U"ÉšŠ", U"éšš"}),
                         ScriptCaseName);

INSTANTIATE_TEST_SUITE_P(TypedYDiaeresis, ScriptReaderTest,
                         ::testing::Values(ScriptCase{U"abÿcd", U"abÿçð"},
                                           ScriptCase{U"ÿabc", U"ÿabç"}, ScriptCase{U"Ÿ", U"ÿ"}),
                         ScriptCaseName);

TEST(ScriptReader, HtmlYieldsNothing) {
    EXPECT_EQ(ConvS(U"SIT", DocumentType::HTML), U"");
}

} // namespace
} // namespace orvani
