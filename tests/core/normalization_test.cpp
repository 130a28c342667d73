#include <gtest/gtest.h>
#include <orvani/normalization.h>
#include <orvani/pipeline.h>

#include <unicode_text.h>

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

// A stream normalises what NfcStablePrefix() allows and holds the rest: at every cut it must
// give what the whole text gives.
TEST(NfcStablePrefix, StreamsLikeTheWholeText) {
    for (const std::u32string& text :
         {std::u32string(U"xi\u0301co\u0301 S\u030Cam"), std::u32string(U"a\u0308\u0301\u0323b"),
          std::u32string(U"\u1100\u1161\u11A8 e\u0301")}) {
        const std::string whole = Utf8(text);
        for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
            const std::string_view head = std::string_view(whole).substr(0, cut);
            const std::size_t stable = NfcStablePrefix(head);
            ASSERT_LE(stable, cut);
            EXPECT_EQ(ToNfc(head.substr(0, stable)) + ToNfc(std::string_view(whole).substr(stable)),
                      ToNfc(std::string_view(whole)))
                << "cut at " << cut;
        }
    }
}

TEST(ToNfc, DecomposedAndComposedTextConvertAlike) {
    const std::u32string decomposed = U"xi\u0301co\u0301";
    EXPECT_EQ(ConvertText(ToNfc(decomposed), Standard::New, Standard::Old, DocumentType::Plain, {}),
              U"kheetsoy");
    EXPECT_EQ(
        ConvertText(ToNfc(decomposed), Standard::New, Standard::Script, DocumentType::Plain, {}),
        U"kExO");
}

} // namespace
} // namespace orvani
