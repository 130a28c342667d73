#include <gtest/gtest.h>
#include <orvani/normalization.h>
#include <orvani/pipeline.h>

#include <unicode_text.h>

#include <string_view>
#include <vector>

namespace orvani {
namespace {

using testing::Utf8;

TEST(ToNfc, ComposesWhatCanBeComposed) {
    const struct {
        std::u32string text;
        std::u32string nfc;
    } cases[] = {
        {U"xi\u0301co\u0301", U"xícó"},
        {U"S\u030Cam", U"Šam"},
        {U"a\u0308\u0301", U"ä\u0301"},       // the second mark has no composed form with ä
        {U"q\u0323\u0307", U"q\u0323\u0307"}, // marks stay in canonical order
        {U"q\u0307\u0323", U"q\u0323\u0307"},
        {U"\u212A", U"K"},        // KELVIN SIGN is a singleton
        {U"\u0301e", U"\u0301e"}, // a mark with nothing before it stays
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToNfc(c.text), c.nfc);
        EXPECT_EQ(ToNfc(std::string_view(Utf8(c.text))), Utf8(c.nfc));
    }
}

TEST(ToNfc, LeavesComposedTextAsItIs) {
    std::u32string latin1;
    for (char32_t c = 0; c < 0x100; ++c) {
        latin1 += c;
    }
    for (const std::u32string& text :
         {latin1, std::u32string(U"Kheetsoy dhath, ohm uhr"), std::u32string(U"xícó ðæþ š"),
          std::u32string(U"kExO dqT"), std::u32string(U"«ЖΣ» ₤ 😀")}) {
        EXPECT_EQ(ToNfc(text), text);
        EXPECT_EQ(ToNfc(std::string_view(Utf8(text))), Utf8(text));
    }
}

TEST(ToNfc, KeepsWhatIsNotText) {
    const std::u32string odd = {U'e', 0xD800, 0x301, 0x110000, U'x', 0xFFFFFFFE};
    EXPECT_EQ(ToNfc(odd), odd);
    EXPECT_EQ(ToNfc(std::string_view("e\xCC\x81\xFF"
                                     "e\xCC\x81\xCC")),
              "\xC3\xA9\xFF\xC3\xA9\xCC");
}

TEST(NfcMayChange, LooksPastOnlyWhatNfcLeavesAlone) {
    const struct {
        std::u32string character;
        bool mayChange;
    } cases[] = {
        {U"\u0301", true},  {U"\u2000", true},     {U"\u1161", true},  {U"\u2026", false},
        {U"\u2014", false}, {U"\u0416", false},    {U"\u00E9", false}, {U"\U0001F600", false},
        {U"\u02FF", false}, {U"\U0001D15E", true},
    };
    for (const auto& c : cases) {
        for (const std::size_t at : {0, 5, 63, 64, 130}) {
            std::string text(140, 'a');
            text.replace(at, 0, Utf8(c.character));
            EXPECT_EQ(NfcMayChange(text), c.mayChange)
                << "U+" << std::hex << static_cast<unsigned>(c.character[0]) << " at " << at;
            EXPECT_EQ(NfcMayChange(text), ToNfc(std::string_view(text)) != text || c.mayChange);
        }
    }
    EXPECT_FALSE(NfcMayChange("a\xCC\xFF")); // not text
}

// What the pieces of a stream give, one after another.
std::string Streamed(const std::vector<std::string_view>& pieces) {
    NfcStream nfc;
    std::string out;
    for (const std::string_view piece : pieces) {
        nfc.feed(piece, out);
        EXPECT_LE(nfc.held().size(), NfcStream::kLongestHeldTail + 4);
    }
    nfc.finish(out);
    return out;
}

// At every cut, and every pair of cuts, a stream gives what the whole text gives: accents
// after their letter's piece, Hangul syllables made of jamo, characters cut in two, bytes
// that are not UTF-8.
TEST(NfcStream, GivesForItsPiecesWhatTheWholeTextGives) {
    for (const std::string& whole :
         {Utf8(U"xi\u0301co\u0301 S\u030Cam"), Utf8(U"a\u0308\u0301\u0323b"),
          Utf8(U"\u1100\u1161\u11A8 e\u0301"), std::string("e\xCC\x81\xFF\xCC\x81o\xCC")}) {
        const std::string nfc = ToNfc(std::string_view(whole));
        const std::string_view text = whole;
        for (std::size_t i = 0; i <= text.size(); ++i) {
            for (std::size_t j = i; j <= text.size(); ++j) {
                ASSERT_EQ(Streamed({text.substr(0, i), text.substr(i, j - i), text.substr(j)}), nfc)
                    << "cut at " << i << " and " << j;
            }
        }
    }
}

// Which bytes finish an earlier piece, so that a paragraph can give them to the run that
// held them: the held letter with the accents that compose with it.
TEST(NfcStream, SaysWhatFinishesTheTextHeldBefore) {
    const struct {
        std::string_view first;
        std::string_view second;
        std::string_view out;     // what the second piece appends
        std::size_t earlier;      // of which this many bytes finish the first
    } cases[] = {
        {"xi", "\u0301co", "\u00EDc", 2},
        {"xi", "co", "ic", 1},
        {"xi", "\u0301", "", 0}, // no letter yet that could end the composition
        {"x", "", "", 0},
        {"", "co", "c", 0},
    };
    for (const auto& c : cases) {
        NfcStream nfc;
        std::string out;
        nfc.feed(c.first, out);
        out.clear();
        EXPECT_EQ(nfc.feed(c.second, out), c.earlier) << c.first << "|" << c.second;
        EXPECT_EQ(out, c.out) << c.first << "|" << c.second;
    }
}

// A tail that never reaches a letter of its own (no text has one) is not held without end.
TEST(NfcStream, HoldsABoundedTail) {
    std::string marks = "e";
    for (int i = 0; i < 20000; ++i) {
        marks += "\u0301";
    }
    NfcStream nfc;
    std::string out;
    for (std::size_t at = 0; at < marks.size(); at += 1000) {
        nfc.feed(std::string_view(marks).substr(at, 1000), out);
        EXPECT_LE(nfc.held().size(), NfcStream::kLongestHeldTail + 1000);
    }
    nfc.finish(out);
    EXPECT_EQ(out.size(), marks.size() - 1); // é, then the other marks as they are
    EXPECT_TRUE(out.starts_with("\u00E9\u0301"));
}

TEST(ToNfc, DecomposedAndComposedTextConvertAlike) {
    const std::u32string decomposed = U"xi\u0301co\u0301";
    EXPECT_EQ(ConvertText(ToNfc(decomposed), Standard::New, Standard::Old, {}),
              U"kheetsoy");
    EXPECT_EQ(
        ConvertText(ToNfc(decomposed), Standard::New, Standard::Script, {}),
        U"kExO");
}

} // namespace
} // namespace orvani
