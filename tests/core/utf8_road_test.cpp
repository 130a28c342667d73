#include "cases.h"
#include "unicode_text.h"

#include <gtest/gtest.h>
#include <orvani/pipeline.h>

#include <cstring>
#include <vector>

namespace orvani {
namespace {

using namespace orvani::testing;

struct Result {
    std::string text;
    std::size_t read = 0;
    bool invalid = false;
};

// Feeds `pieces` one after another through the UTF-8 road into buffers of exactly the size it
// asks for, with a guard behind each that must stay untouched.
Result ConvertUtf8(Converter converter, const std::vector<std::string_view>& pieces) {
    constexpr char kGuard = '\x5A';
    Result result;
    const auto run = [&](std::size_t room, auto&& write) {
        std::vector<char> buffer(room + 16, kGuard);
        const std::size_t written = write(buffer.data());
        EXPECT_LE(written, room);
        for (std::size_t i = room; i < buffer.size(); ++i) {
            EXPECT_EQ(buffer[i], kGuard) << "written past the room asked for";
        }
        result.text.append(buffer.data(), written);
    };
    for (const std::string_view piece : pieces) {
        run(converter.maxUtf8Output(piece.size()), [&](char* out) {
            const Converter::Utf8Step step = converter.feedUtf8(piece, out);
            result.read += step.read;
            result.invalid = result.invalid || step.invalid;
            return step.written;
        });
    }
    run(converter.maxUtf8Output(0), [&](char* out) { return converter.finishUtf8(out); });
    return result;
}

// Letters that stress the tables: every one below U+0180 (the tabled range) and a few beyond,
// among them those that lower-case into ASCII (DOTTED CAPITAL I, KELVIN SIGN).
std::u32string EveryTabledLetter() {
    std::u32string text;
    for (char32_t c = 1; c < 0x180; ++c) {
        text += c;
        text += U"sh";
    }
    return text + U"\u0180\u023A\u0130h\u212Ah\u212A\U0001F600é\u00A0ÿ\r\n";
}

TEST(Utf8Road, GivesWhatTheCodePointRoadGives) {
    const std::u32string texts[] = {
        U"Kheetsoy dhath, ohm uhr",
        U"SIT KOd Ux kK dD xX Yq Šóm úr a æ o u",
        EveryTabledLetter(),
        U"",
    };
    for (const Standard source : kStandards) {
        for (const Standard target : kStandards) {
            for (const ConversionOptions options : {kNoFlags, kBoth}) {
                const Converter converter(source, target, DocumentType::Plain, options);
                for (const std::u32string& text : texts) {
                    const std::string utf8 = Utf8(text);
                    const Result result = ConvertUtf8(converter, {utf8});
                    EXPECT_EQ(result.text,
                              Utf8(ConvertText(text, source, target, DocumentType::Plain, options)))
                        << DisplayName(source) << " to " << DisplayName(target);
                    EXPECT_EQ(result.read, utf8.size());
                    EXPECT_FALSE(result.invalid);
                }
            }
        }
    }
}

TEST(Utf8Road, EverySplitBetweenCharactersGivesTheWholeResult) {
    const std::string text = Utf8(U"Ashé\u212Ahts\U0001F600oo\u0130h ÿ\r\nkhSEKd");
    for (const Standard source : kStandards) {
        for (const Standard target : kStandards) {
            const Converter converter(source, target, DocumentType::Plain, kA);
            const std::string whole = ConvertUtf8(converter, {text}).text;
            for (std::size_t cut = 0; cut <= text.size(); ++cut) {
                if (cut < text.size() && (text[cut] & 0xC0) == 0x80) {
                    continue; // inside a character
                }
                const std::string_view view = text;
                EXPECT_EQ(ConvertUtf8(converter, {view.substr(0, cut), view.substr(cut)}).text,
                          whole)
                    << DisplayName(source) << " to " << DisplayName(target) << ", cut at " << cut;
            }
        }
    }
}

TEST(Utf8Road, TextCutAtAnIndependentPlaceConvertsInTwoHalves) {
    const std::string text = Utf8(U"Kheetsoy dhath, ohm uhr! Ash-sheets: \u212Ah ÿ\r\nSIT KOd Ux.");
    for (const Standard source : kStandards) {
        for (const Standard target : kStandards) {
            const Converter fresh(source, target, DocumentType::Plain, kBoth);
            const std::string whole = ConvertUtf8(fresh, {text}).text;
            for (std::size_t from = 0; from < text.size(); ++from) {
                const std::size_t cut = FindIndependentCut(text, from, text.size());
                if (cut == std::string_view::npos) {
                    continue;
                }
                const std::string_view view = text;
                EXPECT_EQ(ConvertUtf8(fresh, {view.substr(0, cut)}).text +
                              ConvertUtf8(fresh, {view.substr(cut)}).text,
                          whole)
                    << DisplayName(source) << " to " << DisplayName(target) << ", cut at " << cut;
            }
        }
    }
    EXPECT_EQ(FindIndependentCut("Kheetsoy dhath", 0, 14), 8U);
    EXPECT_EQ(FindIndependentCut("Kheetsoy dhath", 9, 14), std::string_view::npos);
    EXPECT_EQ(FindIndependentCut("Kh\xC3\xA9.", 0, 3), std::string_view::npos);
}

TEST(Utf8Road, StopsAtTheFirstInvalidSequence) {
    const struct {
        std::string bytes;
        std::size_t read;
        std::string converted;
    } cases[] = {
        {"ash\x80", 3, "æš"},        // a lone continuation byte
        {"a\xC0\xAF", 1, "æ"},       // an overlong form
        {"a\xED\xA0\x80", 1, "æ"},   // a surrogate
        {"\xF4\x90\x80\x80", 0, ""}, // beyond U+10FFFF
        {"\xC3\xA9\xC3(", 2, "é"},   // a lead byte without its continuation
        {"\xE2\x82z", 0, ""},        // a three-byte sequence cut short
        {"ok\xFF rest", 2, "ok"},    // a byte that UTF-8 never uses
        {"0123456789abcdefgh\xFE", 18, "0123456789æbcdefgh"},
    };
    for (const Standard target : kStandards) {
        const Converter converter(Standard::Old, target, DocumentType::Plain, kA);
        const Converter reference = converter;
        for (const auto& c : cases) {
            const Result result = ConvertUtf8(converter, {c.bytes});
            EXPECT_TRUE(result.invalid) << c.read;
            EXPECT_EQ(result.read, c.read);
            // Nothing past the fault comes out.
            EXPECT_EQ(result.text, ConvertUtf8(reference, {c.bytes.substr(0, c.read)}).text);
            if (target == Standard::New) {
                EXPECT_EQ(result.text, c.converted);
            }
        }
    }
}

TEST(Utf8Road, LeavesASequenceCutByTheEndForTheNextPiece) {
    for (const Standard target : kStandards) {
        for (const std::string bytes : {"s\xC5", "s\xE2\x82", "s\xF0\x9F\x98", "s\xF0"}) {
            Converter converter(Standard::Old, target, DocumentType::Plain, kA);
            std::vector<char> out(converter.maxUtf8Output(bytes.size()));
            const Converter::Utf8Step step = converter.feedUtf8(bytes, out.data());
            EXPECT_FALSE(step.invalid);
            EXPECT_EQ(step.read, 1U);
        }
    }
}

TEST(Utf8Road, MissingStandardsAndHtmlStillReadTheText) {
    Converter converter(std::nullopt, Standard::New, DocumentType::Plain, kA);
    char out[64];
    std::memset(out, 0, sizeof out);
    Converter::Utf8Step step = converter.feedUtf8("sh\xFFx", out);
    EXPECT_EQ(step.written, 0U);
    EXPECT_EQ(step.read, 2U);
    EXPECT_TRUE(step.invalid);

    Converter html(Standard::Old, Standard::New, DocumentType::HTML, kA);
    step = html.feedUtf8("Kheetsoy", out);
    EXPECT_EQ(step.written, 0U);
    EXPECT_EQ(step.read, 8U);
}

} // namespace
} // namespace orvani
