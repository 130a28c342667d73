#pragma once

#include "streams.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace orvani::cli {

// Where a character stands in a text: lines and columns counted from 1, columns in characters;
// and how many characters come before it in the whole text.
struct TextPlace {
    std::uint64_t line = 1;
    std::uint64_t column = 1;
    std::uint64_t index = 0;
};

// How often each character of a text came, and where first: the text's census, taken as the
// text streams by, for the report of what a conversion did with it.
class CharacterTally {
public:
    struct Seen {
        std::uint64_t count = 0;
        TextPlace first;
    };

    // Counts the next bytes of UTF-8 text; a character may be cut between two calls.
    void add(std::string_view utf8);

    // Every character counted, in the order of their code points.
    [[nodiscard]] std::map<char32_t, Seen> characters() const;

private:
    void count(char32_t c, Seen& seen);

    std::array<Seen, 128> ascii_{}; // apart, for speed: most text is ASCII
    std::map<char32_t, Seen> others_;
    TextPlace at_;
    std::string partial_; // the start of a character that the last piece cut off
};

// A source that hands on what `in` reads and counts it in `tally`.
class TallyingSource : public ByteSource {
public:
    TallyingSource(ByteSource& in, CharacterTally& tally) : in_(in), tally_(tally) {}

    std::size_t read(char* into, std::size_t size) override {
        const std::size_t got = in_.read(into, size);
        tally_.add({into, got});
        return got;
    }
    [[nodiscard]] const std::string& name() const override { return in_.name(); }

private:
    ByteSource& in_;
    CharacterTally& tally_;
};

} // namespace orvani::cli
