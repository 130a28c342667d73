#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvani::documents {

// The characters HTML takes for white space between its words and attributes.
constexpr bool IsHtmlSpace(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

constexpr std::string_view WithoutHtmlSpaceAround(std::string_view text) noexcept {
    while (!text.empty() && IsHtmlSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsHtmlSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// An attribute of a start tag, with where its value's bytes are (between the quotes, if any).
struct HtmlAttribute {
    std::string name;       // lower-cased
    std::size_t valueBegin; // [valueBegin, valueEnd); both at the name's end when it has no value
    std::size_t valueEnd;
    char quote; // '"', '\'', or 0 when unquoted or without a value
    bool hasValue;
};

// A piece of HTML with the bytes it came from: [begin, end).
struct HtmlToken {
    enum class Kind {
        Text,     // character data, references not yet decoded
        RcData,   // the text of a title or textarea: references but no tags
        RawText,  // the content of a script, style and the like: taken as it is
        StartTag, // name and attributes
        EndTag,   // name
        Comment,  // <!-- -->
        Other,    // doctype, CDATA, processing instruction, bogus comment, an unterminated tag
    };
    Kind kind = Kind::Text;
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string name; // tags only, lower-cased
    std::vector<HtmlAttribute> attributes;
    bool selfClosing = false; // "<br/>"
};

// Cuts HTML into tokens as browsers do, leniently: what cannot be read is kept as Other, never
// refused. Every byte from `start` on belongs to exactly one token.
class HtmlTokenizer {
public:
    HtmlTokenizer(std::string_view html, std::size_t start) : html_(html), at_(start) {}

    // The next token, or nothing at the end.
    [[nodiscard]] std::optional<HtmlToken> next();

private:
    HtmlToken readTag(bool end);
    HtmlToken readUntil(HtmlToken::Kind kind, std::size_t from, std::string_view close);
    HtmlToken readContent(HtmlToken::Kind kind);

    std::string_view html_;
    std::size_t at_;
    std::string contentOf_; // the element whose raw or RCDATA content comes next
    bool rcdata_ = false;
};

// `text`, character data or (`inAttribute`) an attribute value, with its character references
// decoded; references not known are kept as written.
[[nodiscard]] std::string DecodeHtml(std::string_view text, bool inAttribute = false);

} // namespace orvani::documents
