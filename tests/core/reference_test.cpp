#include "cases.h"
#include "reference_scanner.h"
#include "unicode_text.h"

#include <gtest/gtest.h>
#include <orvani/pipeline.h>

#include <random>
#include <vector>

namespace orvani {
namespace {

using namespace orvani::testing;

// The UTF-8 road: the whole-text call, which drives the streaming one.
std::string Utf8RoadConvert(std::string_view text, Standard from, Standard to,
                            ConversionOptions options) {
    return ConvertUtf8(text, from, to, options).text;
}

// Every letter of the tables, as spelled and as written, in both cases.
std::u32string TableLetters() {
    std::u32string letters;
    for (const auto& rules : {detail::OldReading(), detail::OldWriting(), detail::ScriptReading(),
                              detail::ScriptWriting()}) {
        for (const detail::Row& row : rules.rows) {
            for (const std::u32string_view part : {row.spelling, row.piece, row.pieceWhenFlagSet}) {
                for (const char32_t c : part) {
                    letters += c;
                    letters += static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
                }
            }
        }
    }
    return letters;
}

std::vector<std::u32string> Texts() {
    std::vector<std::u32string> texts = {
        U"",
        U"Kheetsoy dhath, ohm uhr",
        U"KHEETSOY DHATH, OHM UHR! Sh sH AH Ih EE Eh AY Th Dh OY Ch OO Ts OH Uh A I",
        U"SIT KOd Ux kK dD xX Yq C",
        U"Šóm úr a æ o u ŠÁÍÆÉÞÐÓÇÚ",
        U"\u212Ah \u212AH s\u212Ah \u212A \u212A\u212Ah t\u212A",
        U"\u0130h \u0130 \u0130H a\u0130h \u0130\u0130",
        U"ÿ Ÿ aÿh shÿ ÿh Ÿh L'Haÿ-les-Roses\r\n",
        U"\U0001F600 a\U0001F600h \U00010400\U00010428 \U0001D400h s\U0001F600h",
        U"\uFEFF«ЖΣ» \u00A0\t\u2028 1, 2.",
    };
    // Every character below U+0180 (the engine's tabled range) inside, before and after
    // two-letter spellings, and each Latin-1 capital before "h".
    std::u32string tabled;
    for (char32_t c = 0; c < 0x180; ++c) {
        tabled += {U'a', c, U'h', c, U's', U'h', c};
    }
    texts.push_back(tabled);
    std::u32string capitals;
    for (char32_t c = U'À'; c <= U'Þ'; ++c) {
        capitals += {c, U'h', U' '};
    }
    texts.push_back(capitals);

    // Table letters at random among a few others, from a fixed seed.
    const std::u32string alphabet =
        TableLetters() + U" ,\n\u212A\u0130ÿŸ\u00A0Ж\U0001F600\U00010400";
    std::mt19937 random(20240607);
    for (int i = 0; i < 300; ++i) {
        std::u32string text(random() % 40, U' ');
        for (char32_t& c : text) {
            c = alphabet[random() % alphabet.size()];
        }
        texts.push_back(text);
    }
    return texts;
}

// Both roads of the engine give what the reference scan gives, for every pair and options.
TEST(ReferenceScan, AgreesWithTheEngineOnEveryConversion) {
    const std::vector<std::u32string> texts = Texts();
    int mismatches = 0;
    std::string first;
    const auto check = [&](const std::u32string& got, const std::u32string& expected,
                           const char* road, std::u32string_view text, Standard source,
                           Standard target, ConversionOptions options) {
        if (got != expected && mismatches++ == 0) {
            first = std::string(road) + ", " + std::string(DisplayName(source)) + " to " +
                    std::string(DisplayName(target)) + " with " + OptionsName(options) + ": " +
                    Escaped(text) + " gave " + Escaped(got) + ", not " + Escaped(expected);
        }
    };
    for (const Standard source : kStandards) {
        for (const Standard target : kStandards) {
            for (const ConversionOptions options : {kNoFlags, kA, kOhUh, kBoth}) {
                for (const std::u32string& text : texts) {
                    const std::u32string expected = ReferenceConvert(text, source, target, options);
                    check(ConvertText(text, source, target, options), expected, "code points", text,
                          source, target, options);
                    check(CodePoints(Utf8RoadConvert(Utf8(text), source, target, options)),
                          expected, "UTF-8", text, source, target, options);
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << "first: " << first;
}

} // namespace
} // namespace orvani
