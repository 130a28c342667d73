#include "cases.h"

#include <gtest/gtest.h>
#include <orvani/pipeline.h>

namespace orvani {
namespace {

using namespace orvani::testing;

// Two-letter spellings at every offset, so that every split falls inside one somewhere.
const std::u32string kTexts[] = {
    U"Kheetsoy dhath, ohm uhr",
    U"sheekhahtsoooyaychihuhaa",
    U"ashkheeoytshdhch ÿ\r\nSkKIEADTdOcUxXYq",
};

std::u32string ConvertInPieces(std::u32string_view text, std::initializer_list<std::size_t> cuts,
                               Converter converter) {
    std::u32string out;
    std::size_t start = 0;
    for (const std::size_t cut : cuts) {
        converter.feed(text.substr(start, cut - start), out);
        start = cut;
    }
    converter.feed(text.substr(start), out);
    converter.finish(out);
    return out;
}

TEST(Pieces, EverySplitGivesTheWholeTextResult) {
    for (const Standard source : kStandards) {
        for (const Standard target : kStandards) {
            for (const ConversionOptions options : {kNoFlags, kBoth}) {
                const Converter converter(source, target, options);
                for (const std::u32string& text : kTexts) {
                    const std::u32string whole = ConvertText(text, source, target, options);
                    for (std::size_t i = 0; i <= text.size(); ++i) {
                        for (std::size_t j = i; j <= text.size(); ++j) {
                            ASSERT_EQ(ConvertInPieces(text, {i, j}, converter), whole)
                                << DisplayName(source) << " to " << DisplayName(target)
                                << ", cut at " << i << " and " << j;
                        }
                    }
                }
            }
        }
    }
}

TEST(Pieces, OneCharacterAtATime) {
    Converter converter(Standard::Old, Standard::New, kA);
    std::u32string out;
    for (const char32_t c : std::u32string_view(U"Kheetsoy dhath")) {
        converter.feed(std::u32string_view(&c, 1), out);
    }
    converter.finish(out);
    EXPECT_EQ(out, U"xícó ðæþ");
}

TEST(Pieces, FinishStartsANewText) {
    Converter converter(Standard::Old, Standard::New, kNoFlags);
    std::u32string first;
    converter.feed(U"as", first);
    converter.finish(first);
    std::u32string second;
    converter.feed(U"h", second);
    converter.finish(second);
    EXPECT_EQ(first + U"|" + second, U"as|h");
}

} // namespace
} // namespace orvani
