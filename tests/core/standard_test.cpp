#include <gtest/gtest.h>
#include <orvani/standard.h>

#include <optional>
#include <string_view>
#include <utility>

namespace orvani {
namespace {

TEST(StandardNames, DisplayNamesMapBackExactly) {
    for (const Standard standard : kStandards) {
        EXPECT_EQ(StandardFromName(DisplayName(standard)), standard);
    }
    EXPECT_EQ(DisplayName(Standard::Script), "Orvani Script");
}

TEST(StandardNames, AnyOtherNameIsNoStandard) {
    for (const std::string_view name :
         {"", "old", "NEW", "Script", "orvani script", "Orvani  Script", " Old", "Old "}) {
        EXPECT_EQ(StandardFromName(name), std::nullopt) << '"' << name << '"';
    }
}

TEST(StandardNames, ParseTakesEitherNameInAnyAsciiCase) {
    const std::pair<std::string_view, std::optional<Standard>> kCases[] = {
        {"old", Standard::Old},
        {"OLD", Standard::Old},
        {"Old", Standard::Old},
        {"new", Standard::New},
        {"nEw", Standard::New},
        {"script", Standard::Script},
        {"Script", Standard::Script},
        {"Orvani Script", Standard::Script},
        {"ORVANI SCRIPT", Standard::Script},
        {"orvani script", Standard::Script},
        {"", std::nullopt},
        {"ol", std::nullopt},
        {"olde", std::nullopt},
        {" old", std::nullopt},
        {"Orvani  Script", std::nullopt},
        {"orvani", std::nullopt},
    };
    for (const auto& [name, standard] : kCases) {
        EXPECT_EQ(ParseStandard(name), standard) << '"' << name << '"';
    }
}

TEST(StandardNames, ShortNamesParseBack) {
    EXPECT_EQ(ShortName(Standard::Old), "old");
    EXPECT_EQ(ShortName(Standard::New), "new");
    EXPECT_EQ(ShortName(Standard::Script), "script");
    for (const Standard standard : kStandards) {
        EXPECT_EQ(ParseStandard(ShortName(standard)), standard);
        EXPECT_EQ(ParseStandard(DisplayName(standard)), standard);
    }
}

} // namespace
} // namespace orvani
