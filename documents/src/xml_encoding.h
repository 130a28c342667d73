#pragma once

#include <string>
#include <string_view>

namespace orvani::documents {

// An XML part read in the encoding it is in, told as XML tells it: a byte-order mark, the
// order of the first bytes (UTF-16 without a mark), or else the declaration; UTF-8 where
// nothing says otherwise. Its text is UTF-8; a new version of it is written back in the
// part's own encoding, so that every character not changed keeps its bytes.
//
//     const XmlPartText content(document.read("content.xml"), "content.xml");
//     document.replace("content.xml", content.encode(Convert(content.utf8())));
class XmlPartText {
public:
    // Throws DocumentError naming `part` where it declares an encoding that is not known, or
    // holds a byte sequence that is invalid in its encoding.
    XmlPartText(std::string bytes, const std::string& part);

    [[nodiscard]] const std::string& utf8() const noexcept { return text_; }
    // UTF-8 `text` in the part's encoding; a character that it cannot hold is written as a
    // character reference, which only character data and attribute values may hold.
    [[nodiscard]] std::string encode(std::string text) const;

private:
    std::string part_;
    std::string encoding_; // ICU's name; empty for UTF-8, which is read as it is
    std::string mark_;     // a byte-order mark, kept apart from the text
    std::string text_;
};

// The encoding that the declaration at the start of `xml` names, or empty.
[[nodiscard]] std::string_view DeclaredEncoding(std::string_view xml);

} // namespace orvani::documents
