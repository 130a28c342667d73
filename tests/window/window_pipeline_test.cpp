#include "cases.h"
#include "expected_conversions.h"
#include "unicode_text.h"

#include <gtest/gtest.h>

#include <window_pipeline.h>

namespace orvani {
namespace {

using namespace orvani::testing;
using window::ConvertText;

constexpr std::optional<Standard> kNoStandard = std::nullopt;

// The window's pipeline reads and then writes through the pivot, where the core converts in
// one step: both are held to the same table.
TEST(WindowPipeline, GivesEveryExpectedConversion) {
    for (const ExpectedConversion& row : ExpectedConversions()) {
        if (row.needsNfc) {
            continue;
        }
        EXPECT_EQ(Utf8(ConvertText(CodePoints(row.text), row.source, row.target,
                                   DocumentType::Plain, row.options)),
                  row.expected)
            << Describe(row);
    }
}

TEST(WindowPipeline, HtmlKeepsOnlyNewToNew) {
    for (const Standard source : kStandards) {
        for (const Standard target : kStandards) {
            const std::u32string expected =
                source == Standard::New && target == Standard::New ? U"Šóm ÿ a" : U"";
            EXPECT_EQ(ConvertText(U"Šóm ÿ a", source, target, DocumentType::HTML, kBoth), expected)
                << DisplayName(source) << " to " << DisplayName(target);
        }
    }
}

TEST(WindowPipeline, AMissingStandardYieldsTheEmptyText) {
    for (const Standard standard : kStandards) {
        EXPECT_EQ(ConvertText(U"Kheetsoy", kNoStandard, standard, DocumentType::Plain, kA), U"");
        EXPECT_EQ(ConvertText(U"Kheetsoy", standard, kNoStandard, DocumentType::Plain, kA), U"");
    }
    EXPECT_EQ(ConvertText(U"Kheetsoy", kNoStandard, kNoStandard, DocumentType::Plain, kA), U"");
}

TEST(WindowPipeline, OnlyHtmlExactlyIsHtml) {
    EXPECT_EQ(window::DocumentTypeFromName("HTML"), DocumentType::HTML);
    for (const std::string_view name : {"Plain", "html", "Html", "", "HTML "}) {
        EXPECT_EQ(window::DocumentTypeFromName(name), DocumentType::Plain) << '"' << name << '"';
    }
}

} // namespace
} // namespace orvani
