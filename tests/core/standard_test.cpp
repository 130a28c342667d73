#include <gtest/gtest.h>
#include <orvani/standard.h>

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

TEST(DocumentTypeNames, OnlyHtmlExactlyIsHtml) {
    EXPECT_EQ(DocumentTypeFromName("HTML"), DocumentType::HTML);
    for (const std::string_view name : {"Plain", "html", "Html", "", "HTML "}) {
        EXPECT_EQ(DocumentTypeFromName(name), DocumentType::Plain) << '"' << name << '"';
    }
}

} // namespace
} // namespace orvani
