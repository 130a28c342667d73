#include "cases.h"
#include "unicode_text.h"

#include <gtest/gtest.h>
#include <orvani/pipeline.h>

#include <array>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

namespace orvani {
namespace {

using namespace orvani::testing;

struct Result {
    std::string text;
    std::size_t read = 0;
    Utf8Stop stop = Utf8Stop::End;
};

// Writes through `step` into a buffer of `room` bytes with a guard behind it that must stay
// untouched, and appends what it wrote.
auto Guarded(std::size_t room, std::string& text, auto&& step) {
    constexpr char kGuard = '\x5A';
    std::vector<char> buffer(room + 16, kGuard);
    const auto progress = step(std::span(buffer).first(room));
    EXPECT_LE(progress.written, room);
    for (std::size_t i = room; i < buffer.size(); ++i) {
        EXPECT_EQ(buffer[i], kGuard) << "written past the output";
    }
    text.append(buffer.data(), progress.written);
    return progress;
}

// Feeds `pieces` one after another through the UTF-8 road into buffers of exactly the size it
// asks for.
Result Stream(Converter converter, const std::vector<std::string_view>& pieces) {
    Result result;
    for (const std::string_view piece : pieces) {
        const Utf8Progress step =
            Guarded(converter.maxUtf8Output(piece.size()), result.text,
                    [&](std::span<char> out) { return converter.convertUtf8(piece, out); });
        result.read += step.read;
        if (step.stop != Utf8Stop::End) {
            result.stop = step.stop;
        }
    }
    Guarded(converter.maxUtf8Output(0), result.text,
            [&](std::span<char> out) { return converter.finishUtf8(out); });
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
                const Converter converter(source, target, options);
                for (const std::u32string& text : texts) {
                    const std::string utf8 = Utf8(text);
                    const Result result = Stream(converter, {utf8});
                    EXPECT_EQ(result.text, Utf8(ConvertText(text, source, target, options)))
                        << DisplayName(source) << " to " << DisplayName(target);
                    EXPECT_EQ(result.read, utf8.size());
                    EXPECT_EQ(result.stop, Utf8Stop::End);
                }
            }
        }
    }
}

TEST(Utf8Road, EverySplitBetweenCharactersGivesTheWholeResult) {
    const std::string text = Utf8(U"Ashé\u212Ahts\U0001F600oo\u0130h ÿ\r\nkhSEKd");
    for (const Standard source : kStandards) {
        for (const Standard target : kStandards) {
            const Converter converter(source, target, kA);
            const std::string whole = Stream(converter, {text}).text;
            for (std::size_t cut = 0; cut <= text.size(); ++cut) {
                if (cut < text.size() && (text[cut] & 0xC0) == 0x80) {
                    continue; // inside a character
                }
                const std::string_view view = text;
                EXPECT_EQ(Stream(converter, {view.substr(0, cut), view.substr(cut)}).text, whole)
                    << DisplayName(source) << " to " << DisplayName(target) << ", cut at " << cut;
            }
        }
    }
}

TEST(Utf8Road, TextCutAtAnIndependentPlaceConvertsInTwoHalves) {
    const std::string text = Utf8(U"Kheetsoy dhath, ohm uhr! Ash-sheets: \u212Ah ÿ\r\nSIT KOd Ux.");
    for (const Standard source : kStandards) {
        for (const Standard target : kStandards) {
            const Converter fresh(source, target, kBoth);
            const std::string whole = Stream(fresh, {text}).text;
            for (std::size_t from = 0; from < text.size(); ++from) {
                const std::size_t cut = FindIndependentCut(text, from, text.size());
                if (cut == std::string_view::npos) {
                    continue;
                }
                const std::string_view view = text;
                EXPECT_EQ(Stream(fresh, {view.substr(0, cut)}).text +
                              Stream(fresh, {view.substr(cut)}).text,
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
        const Converter converter(Standard::Old, target, kA);
        const Converter reference = converter;
        for (const auto& c : cases) {
            const Result result = Stream(converter, {c.bytes});
            EXPECT_EQ(result.stop, Utf8Stop::Invalid) << c.read;
            EXPECT_EQ(result.read, c.read);
            // Nothing past the fault comes out.
            EXPECT_EQ(result.text, Stream(reference, {c.bytes.substr(0, c.read)}).text);
            if (target == Standard::New) {
                EXPECT_EQ(result.text, c.converted);
            }
        }
    }
}

TEST(Utf8Road, LeavesASequenceCutByTheEndForTheNextPiece) {
    for (const Standard target : kStandards) {
        for (const std::string bytes : {"s\xC5", "s\xE2\x82", "s\xF0\x9F\x98", "s\xF0"}) {
            const Result result = Stream(Converter(Standard::Old, target, kA), {bytes});
            EXPECT_EQ(result.stop, Utf8Stop::CutOff);
            EXPECT_EQ(result.read, 1U);
        }
    }
}

// However small the output, the road writes within it, says so, and goes on where it stopped.
TEST(Utf8Road, NeverWritesPastTheOutput) {
    const std::string text = Utf8(U"Kheetsoy dhath, ohm uhr! \u212Ah \U0001F600 Ash");
    for (const Standard source : kStandards) {
        for (const Standard target : kStandards) {
            const Converter fresh(source, target, kA);
            const std::string whole = Stream(fresh, {text}).text;
            for (std::size_t room = 0; room < 48; ++room) {
                Converter converter = fresh;
                std::string out;
                std::string_view rest = text;
                for (int steps = 0; !rest.empty() && steps < 1000; ++steps) {
                    const Utf8Progress step = Guarded(room, out, [&](std::span<char> span) {
                        return converter.convertUtf8(rest, span);
                    });
                    EXPECT_NE(step.stop, Utf8Stop::Invalid);
                    rest.remove_prefix(step.read);
                    if (step.read == 0) {
                        break; // no room for a single character
                    }
                }
                Utf8Finish last{};
                Guarded(room, out, [&](std::span<char> span) {
                    last = converter.finishUtf8(span);
                    return last;
                });
                if (rest.empty() && last.stop == Utf8Stop::End) {
                    EXPECT_EQ(out, whole) << "room " << room;
                }
            }
            std::array<char, 4> tiny{};
            Converter converter = fresh;
            EXPECT_EQ(converter.convertUtf8(text, tiny).stop, Utf8Stop::OutputFull);
        }
    }
}

// The road tells, for any character, whether NFC might change the text around it.
TEST(Utf8Road, TellsWhereNfcMightChangeTheText) {
    const std::string around(40, 'a'); // long enough for the vector scans on either side
    std::vector<char> out;
    for (const auto& [source, target] :
         {std::pair(Standard::Old, Standard::New), std::pair(Standard::New, Standard::Old),
          std::pair(Standard::New, Standard::New)}) {
        const Converter fresh(source, target);
        out.resize(fresh.maxUtf8Output(around.size() * 2 + 4));
        for (char32_t c = 0x80; c < 0x110000; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF) {
                continue;
            }
            Converter converter = fresh;
            const Utf8Progress step =
                converter.convertUtf8(around + Utf8(std::u32string(1, c)) + around, out);
            ASSERT_EQ(step.mayCompose, RoadSaysNfcMayChange(c))
                << "U+" << std::hex << static_cast<unsigned>(c);
        }
    }
}

// The road tells whether a letter held from the last piece paired with the next one's first
// character, which is not to be told from what it wrote ("eh" and "e" both write "e").
TEST(Utf8Road, TellsWhetherTheHeldLetterPaired) {
    const struct {
        Standard source;
        Standard target;
        ConversionOptions options;
        std::string_view held;
        std::string_view next;
        bool paired;
    } cases[] = {
        {Standard::Old, Standard::New, {}, "e", "h", true},
        {Standard::Old, Standard::New, {.a = false}, "a", "h", true},
        {Standard::Old, Standard::New, {}, "S", "Hh", true},
        {Standard::Old, Standard::New, {}, "ee", "h", false}, // nothing held
        {Standard::Old, Standard::New, {}, "e", "x", false},
        {Standard::Old, Standard::New, {}, "e", "\u00E9", false},
        {Standard::Old, Standard::New, {}, "e", "", false},
        {Standard::New, Standard::Old, {}, "e", "h", false}, // New spells no pairs
    };
    for (const auto& c : cases) {
        Converter converter(c.source, c.target, c.options);
        std::vector<char> out(converter.maxUtf8Output(4));
        (void)converter.convertUtf8(c.held, out);
        EXPECT_EQ(converter.convertUtf8(c.next, out).heldPaired, c.paired) << c.held << c.next;
    }
}

TEST(ConvertUtf8, ConvertsAWholeTextOrSaysWhereItIsNotUtf8) {
    const struct {
        std::string text;
        Standard from;
        Standard to;
        std::string converted;
        Utf8Error error;
        std::size_t position; // of the error, or the text's size
    } cases[] = {
        {"Kheetsoy dhath", Standard::Old, Standard::New, "xícó ðæþ", Utf8Error::None, 14},
        {"xícó ðæþ", Standard::New, Standard::Script, "kExO dqT", Utf8Error::None, 13},
        {"", Standard::Script, Standard::Old, "", Utf8Error::None, 0},
        {"dhas\xFFh", Standard::Old, Standard::New, "ðæs", Utf8Error::Invalid, 4},
        {"dhas\xC3h", Standard::Old, Standard::New, "ðæs", Utf8Error::Invalid, 4},
        {"as\xC3", Standard::Old, Standard::New, "æs", Utf8Error::CutOff, 2},
        {"as\xF0\x9F\x98", Standard::Old, Standard::Old, "as", Utf8Error::CutOff, 2},
        {std::string(70000, 'a') + "s\xC5\xA1h", Standard::Old, Standard::New,
         Utf8(std::u32string(70000, U'æ')) + "sšh", Utf8Error::None, 70004},
        {std::string(16383, 'x') + "\xC5\xA1h", Standard::New, Standard::Old,
         [] {
             std::string kh;
             for (int i = 0; i < 16383; ++i) {
                 kh += "kh";
             }
             return kh + "shh";
         }(),
         Utf8Error::None, 16386},
    };
    for (const auto& c : cases) {
        const Utf8Conversion result = ConvertUtf8(c.text, c.from, c.to);
        EXPECT_EQ(result.text, c.converted) << c.text.substr(0, 20);
        EXPECT_EQ(result.error, c.error) << c.text.substr(0, 20);
        EXPECT_EQ(result.position, c.position) << c.text.substr(0, 20);
        EXPECT_EQ(result.ok(), c.error == Utf8Error::None);
    }
}

} // namespace
} // namespace orvani
