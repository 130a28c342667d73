#pragma once

#include "streams.h"

#include <orvani/normalization.h>

#include <cstdint>
#include <exception>
#include <string>

namespace orvani::cli {

// UTF-8 text from `in`, brought to Unicode Normalization Form C as it streams, so that a base
// letter at the end of one piece composes with its accent at the start of the next.
//
// Text with nothing at or above U+0300 (the usual text) is handed on untouched and unchecked,
// straight in the reader's buffer, and the converter behind finds any invalid UTF-8 at the
// same byte as in the input. Once normalising has changed the text's length that would no
// longer hold, so from then on this source checks the UTF-8 itself and reports the first
// invalid sequence at its byte in the input, after handing on the text before it.
class NormalizingSource : public ByteSource {
public:
    explicit NormalizingSource(ByteSource& in) : in_(in) {}

    std::size_t read(char* into, std::size_t size) override;
    [[nodiscard]] const std::string& name() const override { return in_.name(); }

private:
    // Takes `length` bytes at `buffer` (the held tail and what was just read) up to where what
    // follows may still change them, and returns the length handed on in place, or 0 with the
    // normalised text in ready_.
    std::size_t take(char* buffer, std::size_t length, bool last);
    std::size_t handOn(char* into, std::size_t size);

    ByteSource& in_;
    NfcStream nfc_;
    std::string held_;  // the tail, as read, that the next piece may still change
    std::string ready_; // normalised text not yet handed on
    std::size_t readyFrom_ = 0;
    std::string scratch_;             // for readers whose buffer is smaller than the held tail
    std::uint64_t consumed_ = 0;      // bytes taken from `in_`
    std::uint64_t normalizedIn_ = 0;  // bytes given to nfc_, and
    std::uint64_t normalizedOut_ = 0; // what it gave back
    bool checking_ = false;           // see above
    bool ended_ = false;
    std::exception_ptr fault_; // reported once the text before it is handed on
};

} // namespace orvani::cli
