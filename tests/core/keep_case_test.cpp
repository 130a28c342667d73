#include "unicode_text.h"

#include <gtest/gtest.h>
#include <orvani/pipeline.h>

#include <random>
#include <span>
#include <string>
#include <vector>

namespace orvani {
namespace {

using namespace orvani::testing;

constexpr ConversionOptions kKeepCase{.keepCase = true};

struct CaseRow {
    Standard source;
    Standard target;
    std::string text;
    std::string expected;
    ConversionOptions options = kKeepCase;
};

const std::vector<CaseRow>& KeepCaseRows() {
    static const std::vector<CaseRow> rows = {
        {Standard::Old, Standard::New, "Kheetsoy", "Xícó"},
        {Standard::Old, Standard::New, "SHOO", "ŠÚ"},
        {Standard::Old, Standard::New, "KHEETSOY DHATH", "XÍCÓ ÐÆÞ"},
        {Standard::Old, Standard::New, "Kheetsoy dhath", "Xícó ðæþ"},
        {Standard::Old, Standard::New, "Hello, Ida", "Hello, Ádæ"},
        {Standard::Old, Standard::New, "Ah Ihm", "A Im"},
        {Standard::Old, Standard::New, "sH", "š"}, // the first letter of a spelling decides
        {Standard::Old, Standard::New, "Ohm UHR", "Ohm UHR"},
        {Standard::Old, Standard::New, "Ohm UHR", "Om UR", {.ohUh = true, .keepCase = true}},
        {Standard::Old, Standard::New, "A", "A", {.a = false, .keepCase = true}},
        {Standard::New, Standard::Old, "Šú", "Shoo"},
        {Standard::New, Standard::Old, "ŠÚ", "SHOO"},
        {Standard::New, Standard::Old, "Š", "Sh"},
        {Standard::New, Standard::Old, "Xícó ðæþ", "Kheetsoy dhath"},
        {Standard::New, Standard::Old, "XÍCÓ ÐÆÞ", "KHEETSOY DHATH"},
        {Standard::New, Standard::Old, "Ða. ÐA.", "Dhah. DHAH."},
        {Standard::New, Standard::Old, "AŠ Á Bob", "AHSH I Bob"},
        {Standard::New, Standard::Old, "Šú Ú", "Shoo Oo"},
        {Standard::Old, Standard::Old, "Kheetsoy SHOO Tsa", "Kheetsoy SHOO Tsa"},
        {Standard::New, Standard::New, "Šú ÐA", "Šú ÐA"},
        // The script's case spells letters: there is none to keep.
        {Standard::Old, Standard::Script, "Kheetsoy", "kExO"},
        {Standard::Script, Standard::Old, "kExO", "kheetsoy"},
    };
    return rows;
}

TEST(KeepCase, KeepsCapitalsOnBothRoads) {
    for (const CaseRow& row : KeepCaseRows()) {
        EXPECT_EQ(ConvertUtf8(row.text, row.source, row.target, row.options).text, row.expected)
            << row.text;
        EXPECT_EQ(Utf8(ConvertText(CodePoints(row.text), row.source, row.target, row.options)),
                  row.expected)
            << row.text;
    }
}

// Lower case as the New letters have it, independently of the core's table.
std::string Lowered(std::string_view utf8) {
    std::u32string text = CodePoints(utf8);
    for (char32_t& c : text) {
        if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
            c += 0x20;
        } else if (c == 0x160) {
            c = 0x161;
        }
    }
    return Utf8(text);
}

std::string RandomMixedCase(std::mt19937& random, std::size_t length) {
    static const std::u32string letters = U"aAbBcCdDeEhHiIkKoOsStTuUyY šŠáÁíÍéÉþÞðÐóÓçÇúÚæÆx.";
    std::u32string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += letters[random() % letters.size()];
    }
    return Utf8(text);
}

// Keeping case changes nothing but case, and in pieces of any size the text converts alike.
TEST(KeepCase, DiffersFromTheDefaultInCaseAloneAndStreams) {
    std::mt19937 random(20261209);
    const std::pair<Standard, Standard> pairs[] = {{Standard::Old, Standard::New},
                                                   {Standard::New, Standard::Old},
                                                   {Standard::Old, Standard::Old}};
    for (int i = 0; i < 300; ++i) {
        const std::string text = RandomMixedCase(random, 1 + random() % 40);
        for (const auto& [source, target] : pairs) {
            const ConversionOptions options{.a = i % 2 == 0, .ohUh = i % 3 == 0, .keepCase = true};
            ConversionOptions lowering = options;
            lowering.keepCase = false;
            const std::string kept = ConvertUtf8(text, source, target, options).text;
            ASSERT_EQ(Lowered(kept), ConvertUtf8(text, source, target, lowering).text) << text;

            Converter converter(source, target, options);
            std::string streamed;
            for (std::size_t at = 0; at < text.size();) {
                const std::size_t size = std::min(text.size() - at, std::size_t{1} + random() % 5);
                const std::string_view piece = std::string_view(text).substr(at, size);
                std::vector<char> out(converter.maxUtf8Output(piece.size()));
                const Utf8Progress step = converter.convertUtf8(piece, out);
                ASSERT_NE(step.stop, Utf8Stop::OutputFull);
                ASSERT_NE(step.stop, Utf8Stop::Invalid);
                streamed.append(out.data(), step.written);
                at += step.read == 0 && step.stop == Utf8Stop::CutOff ? 0 : step.read;
                if (step.stop == Utf8Stop::CutOff) {
                    // Fed again with more bytes.
                    const std::string_view longer = std::string_view(text).substr(at, 4);
                    std::vector<char> more(converter.maxUtf8Output(longer.size()));
                    const Utf8Progress rest = converter.convertUtf8(longer, more);
                    streamed.append(more.data(), rest.written);
                    at += rest.read;
                }
            }
            std::vector<char> tail(converter.maxUtf8Output(0));
            streamed.append(tail.data(), converter.finishUtf8(tail).written);
            ASSERT_EQ(streamed, kept) << text;
        }
    }
}

TEST(KeepCase, SaysWhetherTheHeldLetterPaired) {
    for (const auto& [next, paired] : {std::pair{"h", true}, std::pair{"x", false}}) {
        Converter converter(Standard::Old, Standard::New, kKeepCase);
        std::vector<char> out(converter.maxUtf8Output(1));
        EXPECT_FALSE(converter.convertUtf8("K", out).heldPaired);
        EXPECT_EQ(converter.convertUtf8(next, out).heldPaired, paired) << next;
    }
}

TEST(KeepCase, StopsAtInvalidUtf8) {
    const Utf8Conversion result =
        ConvertUtf8("Kheets\xFFoy", Standard::Old, Standard::New, kKeepCase);
    EXPECT_EQ(result.error, Utf8Error::Invalid);
    EXPECT_EQ(result.position, 6U);
    EXPECT_EQ(result.text, "Xíc");
}

} // namespace
} // namespace orvani
