// The filter's stages between the file and the converter, driven from memory: NFC across
// pieces, decoding through ICU, encoding the output, and faults in the middle of a stream.

#include "character_tally.h"
#include "decoding_source.h"
#include "encoding_sink.h"
#include "errors.h"
#include "normalizing_source.h"
#include "stream_conversion.h"
#include "worker.h"

#include <gtest/gtest.h>
#include <orvani/pipeline.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvani::cli {
namespace {

using namespace std::string_literals;

// Hands its bytes on `piece` at a time, then fails with `fault` if there is one.
class MemorySource : public ByteSource {
public:
    MemorySource(std::string_view bytes, std::size_t piece, std::optional<int> fault = {})
        : bytes_(bytes), piece_(piece), fault_(fault) {}
    std::size_t read(char* into, std::size_t size) override {
        const std::size_t count = std::min({size, piece_, bytes_.size()});
        if (count == 0 && fault_) {
            throw SystemReadError(name_, *fault_);
        }
        std::memcpy(into, bytes_.data(), count);
        bytes_.remove_prefix(count);
        return count;
    }
    const std::string& name() const override { return name_; }

private:
    std::string_view bytes_;
    std::size_t piece_;
    std::optional<int> fault_;
    std::string name_ = "in";
};

class MemorySink : public ByteSink {
public:
    void write(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

struct Outcome {
    std::string text;
    std::string error;
};

Outcome Drain(ByteSource& source, std::size_t readSize) {
    Outcome outcome;
    std::string buffer(readSize, '\0');
    try {
        while (const std::size_t got = source.read(buffer.data(), buffer.size())) {
            outcome.text.append(buffer, 0, got);
        }
    } catch (const FilterError& error) {
        outcome.error = error.what();
    }
    return outcome;
}

// ICU's NFC of the whole text at once: what any cutting into pieces must give.
std::string WholeNfc(const std::string& utf8) {
    UErrorCode status = U_ZERO_ERROR;
    std::string out;
    icu::Normalizer2::getNFCInstance(status)
        ->normalize(icu::UnicodeString::fromUTF8(utf8), status)
        .toUTF8String(out);
    return out;
}

TEST(NormalizingSource, ComposesAcrossEveryCutLikeTheWholeText) {
    for (const std::string text :
         {"xi\u0301co\u0301 S\u030Cam", "a\u0308\u0301\u0323b\n", "e\u0301\u0301\u0301\u0301x",
          "Kheetsoy dhath \u00E9", "\u1100\u1161\u11A8\U0001F600\u0301"}) {
        for (const std::size_t piece : {1, 2, 3, 5, 64}) {
            for (const std::size_t readSize : {1, 4, 7, 4096}) {
                MemorySource raw(text, piece);
                NormalizingSource normalized(raw);
                const Outcome outcome = Drain(normalized, readSize);
                EXPECT_EQ(outcome.error, "");
                EXPECT_EQ(outcome.text, WholeNfc(text)) << piece << " " << readSize;
            }
        }
    }
}

// The converter behind finds invalid UTF-8 where the normaliser does not look; either way the
// message names the byte of the input, and the text before it is all written.
TEST(NormalizingSource, InvalidUtf8IsReportedAtItsByteInTheInput) {
    const struct {
        std::string input;
        std::size_t invalidAt;
    } cases[] = {
        {"abc\xFF"
         "e\xCC\x81",
         3},                       // before anything composes
        {"e\xCC\x81 abc \xFF", 8}, // after the text grew shorter
        {"e\xCC\x81 " + std::string(5000, 'x') + "\x80", 5004},
        {"xi\xCC\x81\xC3", 4}, // cut off by the end
        {"\xFF\xFEx\x00", 0},
    };
    for (const auto& c : cases) {
        for (const std::size_t piece : {1, 3, 4096}) {
            MemorySource raw(c.input, piece);
            NormalizingSource normalized(raw);
            MemorySink out;
            Worker worker;
            std::string error;
            try {
                ConvertStream(normalized, out, Converter(Standard::New, Standard::New, {}), worker,
                              {.read = 64, .halfWorthAThread = 8, .cutSearch = 4});
            } catch (const FilterError& e) {
                error = e.what();
            }
            EXPECT_TRUE(
                error.starts_with("in: invalid UTF-8 at byte " + std::to_string(c.invalidAt)))
                << error;
            EXPECT_EQ(out.text, WholeNfc(c.input.substr(0, c.invalidAt))) << piece;
        }
    }
}

// A file in memory is converted where it lies, a slice at a time: for every size of slice, with
// and without NFC, it gives what the stream through the normaliser gives, the same text before
// a fault and the same message.
TEST(ConvertMapped, GivesWhatTheStreamGives) {
    const std::vector<std::string> texts = {
        "Kheetsoy dhath, ohm uhr.\n",
        "xi\u0301co\u0301 S\u030Cam\u2026 tsa",
        "e\u0301 abc \xFF tail",
        "e\u0301 " + std::string(300, 'k') + "h\x80",
        "ash\xC5\xA1h",
        "as\xC5",
        "e\u0301 a\u0301\xC3",
        "x\u00ED\u0107 S\xCC*am\xFF\x04 e\u0601", // a lead byte just before where a slice ends
        "sh" + std::string(200, 'a') + "\u0301",
        std::string(100, 'k') + "e\u0301" + std::string(100, 'h') + " \u2000 \u0416",
        "\xFF\xFEx\x00",
        "",
    };
    const auto outcome = [](auto&& convert) {
        MemorySink out;
        std::string error;
        try {
            convert(out);
        } catch (const FilterError& e) {
            error = e.what();
        }
        // The byte that the message names; what it adds of the text's look may differ with
        // how much of the text was in view.
        return std::pair(out.text, error.substr(0, error.find(';')));
    };
    for (const std::string& text : texts) {
        for (const bool normalize : {true, false}) {
            for (const auto& [read, cutSearch] :
                 {std::pair<std::size_t, std::size_t>{1, 3}, {3, 1}, {8, 4}, {64, 4}, {4096, 4}}) {
                const StreamSizes sizes{
                    .read = read, .halfWorthAThread = 8, .cutSearch = cutSearch};
                const Converter converter(Standard::Old, Standard::New, {});
                Worker worker;
                const auto streamed = outcome([&](MemorySink& out) {
                    MemorySource raw(text, 7);
                    std::optional<NormalizingSource> normalized;
                    ByteSource* source = &raw;
                    if (normalize) {
                        source = &normalized.emplace(raw);
                    }
                    ConvertStream(*source, out, converter, worker, sizes);
                });
                std::size_t reported = 0;
                const auto mapped = outcome([&](MemorySink& out) {
                    ConvertMapped(text, "in", normalize, out, converter, worker, sizes,
                                  [&](std::size_t done) { reported = done; });
                });
                EXPECT_EQ(mapped, streamed)
                    << text << " normalize " << normalize << " read " << read;
                if (mapped.second.empty()) {
                    EXPECT_EQ(reported, text.size());
                }
            }
        }
    }
}

TEST(ConvertStream, AReadErrorComesAfterAllTheTextBeforeIt) {
    for (const std::size_t piece : {1, 1000, 4096}) {
        const std::string text = std::string(2000, 'k') + "s";
        MemorySource raw(text, piece, EIO);
        NormalizingSource normalized(raw);
        MemorySink out;
        Worker worker;
        EXPECT_THROW(ConvertStream(normalized, out, Converter(Standard::Old, Standard::New, {}),
                                   worker, {.read = 512, .halfWorthAThread = 64, .cutSearch = 8}),
                     ReadError);
        EXPECT_EQ(out.text, std::string(2000, 'k') + "s") << "the held letter is written";
    }
}

// Decoded as the Unicode standard's own example of maximal subparts (section 3.9, U+FFFD
// substitution) and the encodings' published tables.
TEST(DecodingSource, DecodesAndReplacesAsTheStandardsSay) {
    const struct {
        std::string encoding;
        std::string input;
        std::string utf8;
        std::uint64_t replaced;
    } cases[] = {
        {"UTF-8",
         "a\xF1\x80\x80\xE1\x80\xC2"
         "b\x80"
         "c\x80\xBF"
         "d",
         "a\uFFFD\uFFFD\uFFFD"
         "b\uFFFD"
         "c\uFFFD\uFFFD"
         "d",
         6},
        {"UTF-8", "\xED\xA0\x80\xC0\xAF", "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD", 5},
        {"windows-1252",
         "x\xED"
         "c\xF3 \xF0\xE6\xFE \x80\x8A\x9F",
         "xícó ðæþ €ŠŸ", 0},
        {"ISO-8859-1", "\x80\xFF", "\u0080ÿ", 0},
        {"UTF-16", "\xFF\xFEx\x00\xED\x00=\xD8\x00\xDE"s, "xí\U0001F600", 0},
        {"UTF-16BE", "\x00x\xD8\x00"s, "x\uFFFD", 1},
    };
    for (const auto& c : cases) {
        for (const std::size_t piece : {1, 4096}) {
            MemorySource raw(c.input, piece);
            DecodingSource decoded(raw, c.encoding, true);
            const Outcome outcome = Drain(decoded, 3);
            EXPECT_EQ(outcome.error, "");
            EXPECT_EQ(outcome.text, c.utf8) << c.encoding;
            EXPECT_EQ(decoded.replaced(), c.replaced) << c.encoding;
        }
    }
}

TEST(DecodingSource, WithoutReplacingStopsAtTheFirstInvalidByte) {
    MemorySource raw("abc\xE1\x80z", 2);
    DecodingSource decoded(raw, "UTF-8", false);
    const Outcome outcome = Drain(decoded, 64);
    EXPECT_EQ(outcome.text, "abc");
    EXPECT_EQ(outcome.error, "in: invalid UTF-8 at byte 3");
}

TEST(EncodingSink, NamesACharacterTheEncodingCannotHold) {
    MemorySink out;
    EncodingSink encoded(out, "ISO-8859-1");
    encoded.startText("letter.old");
    encoded.write("ðæ\nþæ\xC5");
    EXPECT_THROW(
        {
            try {
                encoded.write("\xA1"
                              "a");
            } catch (const FilterError& error) {
                EXPECT_STREQ(error.what(), "letter.old: cannot write 'š' (U+0161) in "
                                           "ISO-8859-1: line 2, column 3 of the converted text");
                throw;
            }
        },
        FilterError);
    EXPECT_EQ(out.text, "\xF0\xE6\n\xFE\xE6");
}

// Characters cut between two reads count once, where they began.
TEST(CharacterTally, CountsCharactersCutBetweenPieces) {
    const std::string text = "a\u00F1\nb\u20AC\u00F1\r\n\u20AC";
    for (std::size_t piece = 1; piece <= text.size(); ++piece) {
        CharacterTally tally;
        MemorySource source(text, piece);
        TallyingSource tallied(source, tally);
        char buffer[64];
        while (tallied.read(buffer, sizeof buffer) != 0) {
        }
        const auto seen = tally.characters();
        ASSERT_EQ(seen.size(), 6U) << piece;
        EXPECT_EQ(seen.at(0xF1).count, 2U);
        EXPECT_EQ(seen.at(0xF1).first.line, 1U);
        EXPECT_EQ(seen.at(0xF1).first.column, 2U);
        EXPECT_EQ(seen.at(0x20AC).count, 2U);
        EXPECT_EQ(seen.at(0x20AC).first.line, 2U);
        EXPECT_EQ(seen.at(0x20AC).first.column, 2U);
        EXPECT_EQ(seen.at(0x20AC).first.index, 4U);
    }
}

} // namespace
} // namespace orvani::cli
