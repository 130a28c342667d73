#include "utf8.h"

#include <gtest/gtest.h>

namespace orvani::cli {
namespace {

TEST(Utf8, RoundTripsEveryLength) {
    const std::u32string text = U"a\u00E9\u0161\u20AC\U0001F600\uFEFF\r\n";
    std::string bytes;
    EncodeUtf8(text, bytes);
    EXPECT_EQ(bytes, "a\xC3\xA9\xC5\xA1\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBB\xBF\r\n");
    std::u32string decoded;
    const DecodeResult result = DecodeUtf8(bytes, decoded);
    EXPECT_EQ(decoded, text);
    EXPECT_EQ(result.consumed, bytes.size());
    EXPECT_FALSE(result.invalid);
}

TEST(Utf8, StopsAtTheFirstInvalidSequence) {
    const struct {
        std::string bytes;
        std::size_t offset;
        std::u32string before;
    } cases[] = {
        {"ab\x80", 2, U"ab"},            // a lone continuation byte
        {"a\xC0\xAF", 1, U"a"},          // an overlong form
        {"a\xED\xA0\x80", 1, U"a"},      // a surrogate
        {"\xF4\x90\x80\x80", 0, U""},    // beyond U+10FFFF
        {"\xC3\xA9\xC3(", 2, U"\u00E9"}, // a lead byte without its continuation
        {"\xE2\x82z", 0, U""},           // a three-byte sequence cut short
        {"ok\xFF rest", 2, U"ok"},
    };
    for (const auto& c : cases) {
        std::u32string decoded;
        const DecodeResult result = DecodeUtf8(c.bytes, decoded);
        EXPECT_TRUE(result.invalid) << c.offset;
        EXPECT_EQ(result.consumed, c.offset);
        EXPECT_EQ(decoded, c.before);
    }
}

TEST(Utf8, KeepsBackASequenceCutByTheEndOfTheBytes) {
    for (const std::string bytes : {"x\xC5", "x\xE2\x82", "x\xF0\x9F\x98"}) {
        std::u32string decoded;
        const DecodeResult result = DecodeUtf8(bytes, decoded);
        EXPECT_FALSE(result.invalid);
        EXPECT_EQ(result.consumed, 1U);
        EXPECT_EQ(decoded, U"x");
    }
}

} // namespace
} // namespace orvani::cli
