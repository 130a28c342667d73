#pragma once

#include <orvani/standard.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace orvani::bench {

// Prose-like Orvani text, the same for the same seed: words that use every Old two-letter
// spelling, sentence capitals, punctuation, line and paragraph breaks, and a few percent of
// foreign letters and typographic punctuation. The three standards are written from one word
// stream, so texts of one seed are parallel.
class Corpus {
public:
    explicit Corpus(std::uint64_t seed = 20261208) : state_(seed) {}

    // Hands `sink` the UTF-8 text of at least `bytes` bytes (a sentence runs to its end), in
    // pieces of about 64 KiB.
    void write(Standard standard, std::size_t bytes,
               const std::function<void(std::string_view)>& sink);

private:
    std::uint64_t next();
    std::size_t below(std::size_t bound) { return next() % bound; }
    void sentence(Standard standard, std::string& out);
    void word(Standard standard, bool capital, std::string& out);

    std::uint64_t state_;
    std::size_t column_ = 0; // words on the current line
};

// The whole text at once; for sizes that fit in memory.
[[nodiscard]] std::string MakeCorpus(Standard standard, std::size_t bytes,
                                     std::uint64_t seed = 20261208);

} // namespace orvani::bench
