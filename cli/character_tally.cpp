#include "character_tally.h"

#include <orvani/internal/utf8.h>

namespace orvani::cli {

void CharacterTally::count(char32_t c, Seen& seen) {
    if (seen.count++ == 0) {
        seen.first = at_;
    }
    ++at_.index;
    if (c == U'\n') {
        ++at_.line;
        at_.column = 1;
    } else {
        ++at_.column;
    }
}

void CharacterTally::add(std::string_view utf8) {
    std::string joined;
    if (!partial_.empty()) {
        joined = std::move(partial_) + std::string(utf8);
        partial_.clear();
        utf8 = joined;
    }
    const char* p = utf8.data();
    const char* const end = p + utf8.size();
    while (p < end) {
        const auto byte = static_cast<unsigned char>(*p);
        if (byte < 0x80) {
            count(byte, ascii_[byte]);
            ++p;
            continue;
        }
        const internal::Utf8Char read = internal::DecodeUtf8(p, end);
        if (read.status == internal::Utf8Status::Truncated) {
            partial_.assign(p, end);
            return;
        }
        // Invalid UTF-8 is the converter's to report, or has been replaced before it comes here.
        if (read.status == internal::Utf8Status::Valid) {
            count(read.c, others_[read.c]);
        }
        p += read.length;
    }
}

std::map<char32_t, CharacterTally::Seen> CharacterTally::characters() const {
    std::map<char32_t, Seen> all = others_;
    for (char32_t c = 0; c < ascii_.size(); ++c) {
        if (ascii_[c].count != 0) {
            all.emplace(c, ascii_[c]);
        }
    }
    return all;
}

} // namespace orvani::cli
