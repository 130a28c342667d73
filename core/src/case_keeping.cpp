#include "case_keeping.h"

#include "lower_case.h"

#include <algorithm>
#include <utility>

namespace orvani::detail {
namespace {

// The first letter that lower-cases to each one below kLetterBound: "I" rather than
// DOTTED CAPITAL I for "i".
constexpr auto kUpperOf = [] {
    std::array<char16_t, kLetterBound> upper{};
    for (char32_t c = 0; c < kLetterBound; ++c) {
        upper[c] = static_cast<char16_t>(c);
    }
    for (char32_t c = kLetterBound; c-- > 0;) {
        const char32_t lower = LowerCase(c);
        if (lower != c && lower < kLetterBound) {
            upper[lower] = static_cast<char16_t>(c);
        }
    }
    return upper;
}();

bool Capital(char32_t c) noexcept {
    return LowerCase(c) != c;
}

bool SmallLetter(char32_t c) noexcept {
    return UpperCaseLetter(c) != c;
}

std::size_t SmallAsciiLetter(char32_t c) noexcept {
    return c >= U'a' && c <= U'z' ? c - U'a' : 26;
}

} // namespace

char32_t UpperCaseLetter(char32_t c) noexcept {
    return c < kLetterBound ? kUpperOf[c] : c;
}

CaseKeeping::CaseKeeping(const ScanRules* reader, const ScanRules* writer,
                         ConversionOptions options)
    : reads_(reader != nullptr), writes_(writer != nullptr), options_(options) {
    for (auto& row : pairRow_) {
        row.fill(kNoPair);
    }
    if (reader != nullptr) {
        reader_ = LetterStage(*reader, options);
        readerRows_ = reader->rows;
        for (std::size_t i = readerRows_.size(); i-- > 0;) {
            const std::u32string_view spelling = readerRows_[i].spelling;
            if (spelling.size() == 2) {
                pairRow_[spelling[0] - U'a'][spelling[1] - U'a'] = static_cast<std::uint8_t>(i);
                beginsPair_[spelling[0] - U'a'] = true;
            }
        }
    }
    if (writer != nullptr) {
        writer_ = LetterStage(*writer, options);
    }
}

bool CaseKeeping::pairs(char32_t held, char32_t next) const noexcept {
    const std::size_t first = SmallAsciiLetter(LowerCase(held));
    const std::size_t second = SmallAsciiLetter(LowerCase(next));
    return first < 26 && second < 26 && pairRow_[first][second] != kNoPair;
}

char32_t* CaseKeeping::feed(char32_t c, CaseState& state, char32_t* out) const {
    if (!reads_) {
        return write(c, state, out);
    }
    if (state.readerHeld) {
        const char32_t held = *std::exchange(state.readerHeld, std::nullopt);
        if (pairs(held, c)) {
            return read(held, &c, state, out);
        }
        out = read(held, nullptr, state, out);
    }
    const std::size_t letter = SmallAsciiLetter(LowerCase(c));
    if (letter < 26 && beginsPair_[letter]) {
        state.readerHeld = c;
        return out;
    }
    return read(c, nullptr, state, out);
}

char32_t* CaseKeeping::finish(CaseState& state, char32_t* out) const {
    if (state.readerHeld) {
        out = read(*std::exchange(state.readerHeld, std::nullopt), nullptr, state, out);
    }
    if (state.writerHeld) {
        out = writeHeld(nullptr, state, out);
    }
    state = CaseState{};
    return out;
}

char32_t* CaseKeeping::read(char32_t first, const char32_t* second, CaseState& state,
                            char32_t* out) const {
    const char32_t typed[2] = {first, second != nullptr ? *second : U'\0'};
    const std::size_t typedLength = second != nullptr ? 2 : 1;
    char32_t piece[kLongestPiece];
    std::size_t length = 0;
    if (second != nullptr) {
        const std::u32string_view row =
            readerRows_[pairRow_[LowerCase(first) - U'a'][LowerCase(*second) - U'a']].pieceFor(
                options_);
        length = std::copy(row.begin(), row.end(), piece) - piece;
    } else {
        length = reader_.apply(first, piece);
    }
    const bool asTyped = length == typedLength &&
                         std::equal(piece, piece + length, typed,
                                    [](char32_t p, char32_t t) { return p == LowerCase(t); });
    for (std::size_t i = 0; i < length; ++i) {
        // A piece's letters take the case of the letters they come from, the last for the rest.
        const char32_t from = typed[std::min(i, typedLength - 1)];
        const char32_t letter = asTyped         ? typed[i]
                                : Capital(from) ? UpperCaseLetter(piece[i])
                                                : piece[i];
        out = write(letter, state, out);
    }
    return out;
}

char32_t* CaseKeeping::write(char32_t c, CaseState& state, char32_t* out) const {
    if (!writes_) {
        *out++ = c;
        return out;
    }
    if (state.writerHeld) {
        out = writeHeld(&c, state, out);
    }
    const bool capital = Capital(c);
    char32_t piece[kLongestPiece];
    const std::size_t length = writer_.apply(c, piece);
    if (length == 1 && piece[0] == LowerCase(c)) {
        *out++ = c;
    } else if (!capital) {
        out = std::copy(piece, piece + length, out);
    } else if (length == 1) {
        *out++ = UpperCaseLetter(piece[0]);
    } else {
        state.writerHeld = c;
        state.writerHeldAfterCapital = state.previousCapital;
    }
    state.previousCapital = capital;
    return out;
}

char32_t* CaseKeeping::writeHeld(const char32_t* next, CaseState& state, char32_t* out) const {
    const char32_t held = *std::exchange(state.writerHeld, std::nullopt);
    char32_t piece[kLongestPiece];
    const std::size_t length = writer_.apply(held, piece);
    // In capitals before a capital, or after one where no small letter follows: "ŠÚ", "ÐA."
    const bool inCapitals =
        next != nullptr ? Capital(*next) || (state.writerHeldAfterCapital && !SmallLetter(*next))
                        : state.writerHeldAfterCapital;
    for (std::size_t i = 0; i < length; ++i) {
        *out++ = i == 0 || inCapitals ? UpperCaseLetter(piece[i]) : piece[i];
    }
    return out;
}

} // namespace orvani::detail
