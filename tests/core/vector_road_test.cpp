#include "cases.h"
#include "road_comparison.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace orvani {
namespace {

using namespace orvani::testing;
using detail::Transcriber;

// Pieces of text, each drawn with its weight: ASCII spellings in both cases (long runs of them
// reach the vector blocks), the two-byte letters that the vector scans take (C3 xx, C5 xx) and
// those they leave (C4: "İ" lower-cases to "i"), punctuation that passes unchanged (U+2000-U+207F)
// and beyond it, longer characters, combining marks, and invalid or cut-off sequences.
struct Fragments {
    std::vector<std::string_view> items;
    int weight;
};

const std::vector<Fragments>& Alphabet() {
    static const std::vector<Fragments> kAlphabet = {
        {{"sh", "kh", "ah", "ih", "ee", "eh", "ay", "th", "dh", "oy", "ch", "oo",
          "ts", "oh", "uh", "a",  "i",  "e",  "o",  "u",  "s",  "h",  "y",  "t",
          "SH", "Ee", "aY", "OH", "A",  "I",  "H",  "S",  "k",  "K",  "x",  "X",
          "q",  "Y",  "d",  "D",  "c",  "C",  "T",  "U",  "E",  "O",  "b",  "z"},
         60},
        {{" ", ",", ".", "\n", "\t", "0", "~", "\x7F", std::string_view("\0", 1)}, 15},
        {{"š", "Š", "á", "Á", "í", "é", "É", "þ", "Þ", "ð", "ó", "ç", "ú",
          "æ", "Æ", "ü", "ñ", "Ł", "ł", "ź", "ÿ", "ß", "ø", "ſ", "ő"},
         12},
        {{"«", "\u00B5", "\u00A0", "İ", "ą", "Ā"}, 3},
        {{"…", "“", "\u2070", "\u2080", "\u212A", "\u212Ah", "a\u0301", "\u0301", "\uFEFF",
          "\U0001F600", "\U00010400"},
         3},
    };
    return kAlphabet;
}

const std::vector<std::string_view> kInvalid = {
    "\xFF",     "\x80",         "\xC3",
    "\xC5",     "\xC3\xC3",     "\xC0\x80",
    "\xC1\xBF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
    "\xE2\x80", "\xE2\x81",     "\xF0\x9F\x98",
};

std::string RandomText(std::mt19937& random, std::size_t bytes, bool invalid) {
    int total = 0;
    for (const Fragments& fragments : Alphabet()) {
        total += fragments.weight;
    }
    std::string text;
    while (text.size() < bytes) {
        int pick = static_cast<int>(random() % static_cast<unsigned>(total));
        for (const Fragments& fragments : Alphabet()) {
            if ((pick -= fragments.weight) < 0) {
                text += fragments.items[random() % fragments.items.size()];
                break;
            }
        }
    }
    if (invalid) {
        text.insert(random() % (text.size() + 1), kInvalid[random() % kInvalid.size()]);
    }
    return text;
}

// The vector road gives what the scalar road gives, byte for byte, for every pair, every set
// of options, texts of every kind, fed whole and cut in two at every offset.
TEST(VectorRoad, AgreesWithTheScalarRoad) {
    if (!detail::VectorScansAvailable()) {
        GTEST_SKIP() << "this processor runs the scalar road only";
    }
    std::mt19937 random(20251208);
    std::vector<std::string> texts;
    for (int i = 0; i < 100; ++i) {
        texts.push_back(RandomText(random, 40 + random() % 100, i % 3 == 0));
    }
    texts.push_back(RandomText(random, 3000, false)); // long runs of blocks
    texts.push_back(std::string(200, 'a') + "h" + std::string(100, 's') + "hh" +
                    std::string(101, 'e') + "e");

    int mismatches = 0;
    std::string first;
    for (const Standard source : kStandards) {
        for (const Standard target : kStandards) {
            for (const ConversionOptions options : {kNoFlags, kA, kOhUh, kBoth}) {
                const Transcriber vector =
                    MakeTranscriber(source, target, options, Transcriber::Road::Fastest);
                const Transcriber scalar =
                    MakeTranscriber(source, target, options, Transcriber::Road::Scalar);
                for (const std::string& text : texts) {
                    // Every offset in short texts; near the block edges in long ones.
                    for (std::size_t cut = 0; cut <= text.size();
                         cut += cut < 200 || cut % 32 > 32 - 3 ? 1 : 29) {
                        const RoadRun got = RunRoad(vector, text, cut);
                        if ((got != RunRoad(scalar, text, cut) || got.overrun) &&
                            mismatches++ == 0) {
                            first = std::string(DisplayName(source)) + " to " +
                                    std::string(DisplayName(target)) + " with " +
                                    OptionsName(options) + ", cut at " + std::to_string(cut) +
                                    ": " + text;
                        }
                    }
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << "first: " << first;
}

// Every conversion has tables that the vector scans can take, whatever the options: a table
// that stopped fitting would silently fall back to the scalar road.
TEST(VectorRoad, TakesEveryConversion) {
    if (!detail::VectorScansAvailable()) {
        GTEST_SKIP() << "this processor runs the scalar road only";
    }
    for (const Standard source : kStandards) {
        for (const Standard target : kStandards) {
            for (const ConversionOptions options : {kNoFlags, kA, kOhUh, kBoth}) {
                EXPECT_TRUE(MakeTranscriber(source, target, options, Transcriber::Road::Fastest)
                                .runsVectorScans())
                    << DisplayName(source) << " to " << DisplayName(target) << " with "
                    << OptionsName(options);
            }
        }
    }
}

} // namespace
} // namespace orvani
