#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvani::documents {

// One token of an RTF document, with its bytes in the document.
struct RtfToken {
    enum class Kind {
        GroupStart,    // {
        GroupEnd,      // }
        ControlWord,   // \word or \wordN, with the space that ends it
        ControlSymbol, // \ and one character other than a letter: \~ \* \- \{ ...
        Hex,           // \'hh
        Text,          // plain bytes, up to the next \ { } or line end
        Binary,        // the N bytes after \binN
        End,
    };
    Kind kind = Kind::End;
    std::string_view word{}; // ControlWord: its letters; ControlSymbol: its character
    bool hasParameter = false;
    std::int32_t parameter = 0;
    unsigned char byte = 0;  // Hex: its value
    std::string_view text{}; // Text: the bytes; Binary: the data
    std::size_t begin = 0;   // [begin, end): the token's bytes
    std::size_t end = 0;
    bool delimited = false; // ControlWord: ended by a space of its own, so text may follow
};

// Reads an RTF document token by token. Line ends between tokens are not text and are passed
// over. Throws DocumentError, naming the byte, for a control word or number longer than RTF
// allows and for a \bin whose data runs past the end.
class RtfTokenizer {
public:
    explicit RtfTokenizer(std::string_view rtf) : rtf_(rtf) {}

    [[nodiscard]] RtfToken next();
    [[nodiscard]] std::size_t offset() const noexcept { return at_; }

private:
    RtfToken control(std::size_t begin);
    RtfToken binary(RtfToken word);

    std::string_view rtf_;
    std::size_t at_ = 0;
};

} // namespace orvani::documents
