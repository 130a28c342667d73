#include "corpus.h"

#include <array>

namespace orvani::bench {
namespace {

// One sound in its three spellings. Capitals are the New and Old spellings at a sentence
// start; the script has no capitals (its upper-case codes are letters of their own).
struct Sound {
    std::string_view old, neu, script;
    std::string_view oldCapital, newCapital;
};

constexpr std::array kVowels = std::to_array<Sound>({
    {"a", "æ", "q", "A", "Æ"},
    {"ah", "a", "a", "Ah", "A"},
    {"i", "á", "I", "I", "Á"},
    {"ih", "i", "i", "Ih", "I"},
    {"ee", "í", "E", "Ee", "Í"},
    {"eh", "e", "e", "Eh", "E"},
    {"ay", "é", "A", "Ay", "É"},
    {"oy", "ó", "O", "Oy", "Ó"},
    {"oo", "ú", "U", "Oo", "Ú"},
    {"o", "o", "o", "O", "O"},
    {"u", "u", "u", "U", "U"},
    {"oh", "oh", "oh", "Oh", "Oh"},
    {"uh", "uh", "uh", "Uh", "Uh"},
});

constexpr std::array kConsonants = std::to_array<Sound>({
    {"sh", "š", "S", "Sh", "Š"}, {"kh", "x", "k", "Kh", "X"}, {"th", "þ", "T", "Th", "Þ"},
    {"dh", "ð", "d", "Dh", "Ð"}, {"ch", "ç", "c", "Ch", "Ç"}, {"ts", "c", "x", "Ts", "C"},
    {"k", "k", "K", "K", "K"},   {"d", "d", "D", "D", "D"},   {"b", "b", "b", "B", "B"},
    {"g", "g", "g", "G", "G"},   {"l", "l", "l", "L", "L"},   {"m", "m", "m", "M", "M"},
    {"n", "n", "n", "N", "N"},   {"p", "p", "p", "P", "P"},   {"r", "r", "r", "R", "R"},
    {"s", "s", "s", "S", "S"},   {"t", "t", "t", "T", "T"},   {"v", "v", "v", "V", "V"},
    {"z", "z", "z", "Z", "Z"},   {"w", "w", "w", "W", "W"},
});

// Foreign names and typographic marks, the same in every standard.
constexpr std::array<std::string_view, 10> kForeign = {
    "Müller", "Gérard", "Ñuñoa", "Łódź", "Ærø", "“", "”", "—", "…", "«",
};

std::string_view Spelling(const Sound& sound, Standard standard, bool capital) {
    switch (standard) {
    case Standard::Old:
        return capital ? sound.oldCapital : sound.old;
    case Standard::New:
        return capital ? sound.newCapital : sound.neu;
    case Standard::Script:
        break;
    }
    return sound.script;
}

} // namespace

std::uint64_t Corpus::next() {
    // SplitMix64: small, fast and the same everywhere.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

void Corpus::word(Standard standard, bool capital, std::string& out) {
    if (below(100) < 3) {
        out += kForeign[below(kForeign.size())];
        return;
    }
    const std::size_t syllables = 1 + below(3);
    for (std::size_t i = 0; i < syllables; ++i) {
        if (below(4) != 0) {
            out += Spelling(kConsonants[below(kConsonants.size())], standard, capital);
            capital = false;
        }
        out += Spelling(kVowels[below(kVowels.size())], standard, capital);
        capital = false;
    }
    if (below(3) == 0) {
        out += Spelling(kConsonants[below(kConsonants.size())], standard, false);
    }
}

void Corpus::sentence(Standard standard, std::string& out) {
    const std::size_t words = 4 + below(12);
    for (std::size_t i = 0; i < words; ++i) {
        word(standard, i == 0, out);
        if (i + 1 < words && below(8) == 0) {
            out += ',';
        }
        if (i + 1 == words) {
            constexpr std::string_view kEnds[] = {".", ".", ".", "?", "!", "…"};
            out += kEnds[below(std::size(kEnds))];
        }
        // Lines are counted in words, not bytes, so that all three standards break alike.
        if (++column_ == 11) {
            out += below(10) == 0 ? "\n\n" : "\n";
            column_ = 0;
        } else {
            out += ' ';
        }
    }
}

void Corpus::write(Standard standard, std::size_t bytes,
                   const std::function<void(std::string_view)>& sink) {
    constexpr std::size_t kPiece = 64 * 1024;
    std::string piece;
    piece.reserve(kPiece + 1024);
    std::size_t written = 0;
    while (written < bytes) {
        sentence(standard, piece);
        if (piece.size() >= kPiece || written + piece.size() >= bytes) {
            sink(piece);
            written += piece.size();
            piece.clear();
        }
    }
}

std::string MakeCorpus(Standard standard, std::size_t bytes, std::uint64_t seed) {
    std::string text;
    text.reserve(bytes + 1024);
    Corpus(seed).write(standard, bytes, [&](std::string_view piece) { text += piece; });
    return text;
}

} // namespace orvani::bench
