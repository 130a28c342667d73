#include "html_encoding.h"

#include "html_tokenizer.h"
#include "text_encoding.h"

#include <orvani/documents.h>
#include <orvani/internal/ascii.h>

#include <algorithm>
#include <array>
#include <optional>

namespace orvani::documents {
namespace {

using internal::AsciiLower;

// How far browsers look for a declaration.
constexpr std::size_t kPrescan = 1024;

// Labels of Latin-1 and of ASCII, which pages labelled so hold Latin-1 bytes in.
constexpr auto kLatin1 = std::to_array<std::string_view>(
    {"ansi_x3.4-1968", "ascii", "cp819", "csisolatin1", "ibm819", "iso-8859-1", "iso-ir-100",
     "iso8859-1", "iso88591", "iso_8859-1", "iso_8859-1:1987", "l1", "latin1", "us-ascii"});

std::string Lowered(std::string_view text) {
    std::string out;
    for (const char c : text) {
        out += AsciiLower(c);
    }
    return out;
}

// The encoding that a label names, where the page gives it.
std::string FromPageLabel(std::string_view label) {
    const std::string lowered = Lowered(WithoutHtmlSpaceAround(label));
    if (std::ranges::find(kLatin1, lowered) != kLatin1.end()) {
        return "ISO-8859-1";
    }
    // A page that says UTF-16 in bytes that are read as ASCII is not in UTF-16.
    if (lowered.starts_with("utf-16")) {
        return "UTF-8";
    }
    return std::string(WithoutHtmlSpaceAround(label));
}

// The charset that a Content-Type's value names: "text/html; charset=ISO-8859-1".
std::optional<std::string_view> CharsetOf(std::string_view content) {
    const std::string lowered = Lowered(content);
    for (std::size_t at = lowered.find("charset"); at != std::string::npos;
         at = lowered.find("charset", at + 1)) {
        std::size_t i = at + 7;
        while (i < content.size() && IsHtmlSpace(content[i])) {
            ++i;
        }
        if (i >= content.size() || content[i] != '=') {
            continue;
        }
        ++i;
        while (i < content.size() && IsHtmlSpace(content[i])) {
            ++i;
        }
        if (i < content.size() && (content[i] == '"' || content[i] == '\'')) {
            const std::size_t close = content.find(content[i], i + 1);
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            return content.substr(i + 1, close - i - 1);
        }
        std::size_t end = i;
        while (end < content.size() && !IsHtmlSpace(content[end]) && content[end] != ';') {
            ++end;
        }
        return end == i ? std::nullopt : std::optional(content.substr(i, end - i));
    }
    return std::nullopt;
}

// The label that a <meta> declares, if any.
std::optional<std::string> DeclaredBy(const HtmlToken& meta, std::string_view html) {
    std::optional<std::string> charset;
    std::optional<std::string> content;
    bool contentType = false;
    for (const HtmlAttribute& attribute : meta.attributes) {
        const std::string value = DecodeHtml(
            html.substr(attribute.valueBegin, attribute.valueEnd - attribute.valueBegin), true);
        if (attribute.name == "charset" && !charset) {
            charset = value;
        } else if (attribute.name == "content" && !content) {
            content = value;
        } else if (attribute.name == "http-equiv") {
            contentType = internal::EqualsIgnoringAsciiCase(value, "content-type");
        }
    }
    if (charset) {
        return charset;
    }
    if (contentType && content) {
        if (const auto named = CharsetOf(*content)) {
            return std::string(*named);
        }
    }
    return std::nullopt;
}

} // namespace

HtmlEncoding HtmlEncodingOf(std::string_view html, const std::string& given) {
    if (html.starts_with("\xEF\xBB\xBF")) {
        return {"UTF-8", 3};
    }
    if (html.starts_with("\xFE\xFF")) {
        return {"UTF-16BE", 2};
    }
    if (html.starts_with("\xFF\xFE")) {
        return {"UTF-16LE", 2};
    }
    if (!given.empty()) {
        return {given, 0};
    }
    const std::string_view start = html.substr(0, kPrescan);
    HtmlTokenizer tokens(start, 0);
    while (const std::optional<HtmlToken> token = tokens.next()) {
        if (token->kind != HtmlToken::Kind::StartTag || token->name != "meta") {
            continue;
        }
        if (const std::optional<std::string> label = DeclaredBy(*token, start)) {
            std::string name = FromPageLabel(*label);
            if (!IsKnownEncoding(name)) {
                throw DocumentError("", "declares the encoding " + *label + ", which is not known");
            }
            return {std::move(name), 0};
        }
    }
    return {"UTF-8", 0};
}

} // namespace orvani::documents
