#include "html_tokenizer.h"

#include <orvani/internal/utf8.h>

#include <algorithm>
#include <array>
#include <cstdint>

namespace orvani::documents {
namespace {

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
    if (text.size() < start.size()) {
        return false;
    }
    for (std::size_t i = 0; i < start.size(); ++i) {
        if (Lower(text[i]) != Lower(start[i])) {
            return false;
        }
    }
    return true;
}

// The elements whose content is not markup: taken as it is, or (RCDATA) as text with
// references.
constexpr std::array<std::string_view, 6> kRawText{"script", "style",   "xmp",
                                                   "iframe", "noembed", "noframes"};
constexpr std::array<std::string_view, 2> kRcData{"title", "textarea"};

// The HTML 4 named references, as runs of consecutive code points; "-" skips one.
struct EntityRun {
    char32_t first;
    std::string_view names;
};
constexpr auto kEntities = std::to_array<EntityRun>({
    {34, "quot"},
    {38, "amp apos"},
    {60, "lt - gt"},
    {160, "nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr deg "
          "plusmn sup2 sup3 acute micro para middot cedil sup1 ordm raquo frac14 frac12 frac34 "
          "iquest Agrave Aacute Acirc Atilde Auml Aring AElig Ccedil Egrave Eacute Ecirc Euml "
          "Igrave Iacute Icirc Iuml ETH Ntilde Ograve Oacute Ocirc Otilde Ouml times Oslash "
          "Ugrave Uacute Ucirc Uuml Yacute THORN szlig agrave aacute acirc atilde auml aring "
          "aelig ccedil egrave eacute ecirc euml igrave iacute icirc iuml eth ntilde ograve "
          "oacute ocirc otilde ouml divide oslash ugrave uacute ucirc uuml yacute thorn yuml"},
    {338, "OElig oelig"},
    {352, "Scaron scaron"},
    {376, "Yuml"},
    {402, "fnof"},
    {710, "circ"},
    {732, "tilde"},
    {913, "Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota Kappa Lambda Mu Nu Xi Omicron Pi "
          "Rho - Sigma Tau Upsilon Phi Chi Psi Omega"},
    {945, "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron pi "
          "rho sigmaf sigma tau upsilon phi chi psi omega"},
    {977, "thetasym upsih"},
    {982, "piv"},
    {8194, "ensp emsp"},
    {8201, "thinsp"},
    {8204, "zwnj zwj lrm rlm"},
    {8211, "ndash mdash"},
    {8216, "lsquo rsquo sbquo"},
    {8220, "ldquo rdquo bdquo"},
    {8224, "dagger Dagger bull"},
    {8230, "hellip"},
    {8240, "permil"},
    {8242, "prime Prime"},
    {8249, "lsaquo rsaquo"},
    {8254, "oline"},
    {8260, "frasl"},
    {8364, "euro"},
    {8465, "image"},
    {8472, "weierp"},
    {8476, "real"},
    {8482, "trade"},
    {8501, "alefsym"},
    {8592, "larr uarr rarr darr harr"},
    {8629, "crarr"},
    {8656, "lArr uArr rArr dArr hArr"},
    {8704, "forall - part exist - empty - nabla isin notin - ni"},
    {8719, "prod - sum minus"},
    {8727, "lowast"},
    {8730, "radic"},
    {8733, "prop infin - ang"},
    {8743, "and or cap cup int"},
    {8756, "there4"},
    {8764, "sim"},
    {8773, "cong"},
    {8776, "asymp"},
    {8800, "ne equiv"},
    {8804, "le ge"},
    {8834, "sub sup nsub - sube supe"},
    {8853, "oplus - otimes"},
    {8869, "perp"},
    {8901, "sdot"},
    {8968, "lceil rceil lfloor rfloor"},
    {10216, "lang rang"}, // where browsers now put them
    {9674, "loz"},
    {9824, "spades - - clubs - hearts diams"},
});

std::optional<char32_t> NamedEntity(std::string_view name) {
    for (const EntityRun& run : kEntities) {
        char32_t code = run.first;
        std::string_view names = run.names;
        while (!names.empty()) {
            const std::size_t space = names.find(' ');
            if (names.substr(0, space) == name) {
                return code;
            }
            names.remove_prefix(space == std::string_view::npos ? names.size() : space + 1);
            ++code;
        }
    }
    return std::nullopt;
}

// What browsers read numeric references as: the C1 range as Windows-1252, non-characters as
// the replacement character.
char32_t NumericEntity(std::uint32_t value) {
    static constexpr std::array<char16_t, 32> kWindows1252{
        0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0xFFFD;
    }
    if (value >= 0x80 && value <= 0x9F) {
        return kWindows1252[value - 0x80];
    }
    return value;
}

// The reference at the start of `text` ("&..."): its character and length, if it is one.
std::optional<std::pair<char32_t, std::size_t>> ReadReference(std::string_view text,
                                                              bool inAttribute) {
    std::size_t at = 1;
    if (at < text.size() && text[at] == '#') {
        ++at;
        const bool hex = at < text.size() && (text[at] == 'x' || text[at] == 'X');
        at += hex ? 1 : 0;
        const std::size_t digits = at;
        std::uint32_t value = 0;
        for (; at < text.size(); ++at) {
            const char c = Lower(text[at]);
            const int digit = IsDigit(c)                    ? c - '0'
                              : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                            : -1;
            if (digit < 0) {
                break;
            }
            // Past the last code point it is all the same: one replacement character.
            value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + digit, 0x110000);
        }
        if (at == digits) {
            return std::nullopt;
        }
        at += at < text.size() && text[at] == ';' ? 1 : 0;
        return std::pair{NumericEntity(value), at};
    }
    const auto isNameChar = [&](std::size_t i) {
        return i < text.size() && (IsAlpha(text[i]) || IsDigit(text[i]));
    };
    while (at < 12 && isNameChar(at)) {
        ++at;
    }
    if (at < text.size() && text[at] == ';') {
        if (const auto code = NamedEntity(text.substr(1, at - 1))) {
            return std::pair{*code, at + 1};
        }
    }
    // Browsers also read the oldest references without their ";" ("&copy 2024"), the longest
    // that fits; in an attribute not before a letter, a digit or "=" ("?a=1&copy=2").
    for (std::size_t length = at - 1; length >= 2; --length) {
        const auto code = NamedEntity(text.substr(1, length));
        if (code && ((*code >= 160 && *code <= 255) || *code == '&' || *code == '<' ||
                     *code == '>' || *code == '"')) {
            const std::size_t end = 1 + length;
            if (inAttribute && (isNameChar(end) || (end < text.size() && text[end] == '='))) {
                return std::nullopt;
            }
            return std::pair{*code, end};
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<HtmlToken> HtmlTokenizer::next() {
    if (at_ >= html_.size()) {
        return std::nullopt;
    }
    if (!contentOf_.empty()) {
        HtmlToken content =
            readContent(rcdata_ ? HtmlToken::Kind::RcData : HtmlToken::Kind::RawText);
        if (content.end > content.begin) {
            return content;
        }
    }
    const auto at = [&](std::size_t i) { return at_ + i < html_.size() ? html_[at_ + i] : '\0'; };
    // What a "<" begins; any other "<" is text.
    const auto markupAt = [&](std::size_t i) {
        const char c = i + 1 < html_.size() ? html_[i + 1] : '\0';
        return html_[i] == '<' &&
               (IsAlpha(c) || c == '!' || c == '?' || (c == '/' && i + 2 < html_.size()));
    };
    if (!markupAt(at_)) {
        std::size_t end = html_.find('<', at_ + 1);
        while (end != std::string_view::npos && !markupAt(end)) {
            end = html_.find('<', end + 1);
        }
        return readUntil(HtmlToken::Kind::Text, end == std::string_view::npos ? html_.size() : end,
                         {});
    }
    if (IsAlpha(at(1))) {
        return readTag(false);
    }
    if (at(1) == '/') {
        return IsAlpha(at(2)) ? readTag(true) : readUntil(HtmlToken::Kind::Other, at_ + 2, ">");
    }
    if (at(1) == '?') {
        return readUntil(HtmlToken::Kind::Other, at_ + 2, ">");
    }
    const std::string_view rest = html_.substr(at_);
    if (rest.starts_with("<!--")) {
        // "<!-->" and "<!--->" are comments that end at once.
        for (const std::string_view abrupt : {"<!-->", "<!--->"}) {
            if (rest.starts_with(abrupt)) {
                return readUntil(HtmlToken::Kind::Comment, at_ + abrupt.size(), {});
            }
        }
        return readUntil(HtmlToken::Kind::Comment, at_ + 4, "-->");
    }
    if (StartsWithIgnoringCase(rest, "<![CDATA[")) {
        return readUntil(HtmlToken::Kind::Other, at_ + 9, "]]>");
    }
    return readUntil(HtmlToken::Kind::Other, at_ + 2, ">");
}

// A token from here to `close` (found from `from`, and included), or to `from` when `close` is
// empty; to the end when `close` is not there.
HtmlToken HtmlTokenizer::readUntil(HtmlToken::Kind kind, std::size_t from, std::string_view close) {
    std::size_t end = from;
    if (!close.empty()) {
        const std::size_t found = html_.find(close, from);
        end = found == std::string_view::npos ? html_.size() : found + close.size();
    }
    HtmlToken token;
    token.kind = kind;
    token.begin = at_;
    token.end = end;
    at_ = end;
    return token;
}

HtmlToken HtmlTokenizer::readContent(HtmlToken::Kind kind) {
    std::size_t end = html_.find("</", at_);
    while (end != std::string_view::npos) {
        const std::size_t after = end + 2 + contentOf_.size();
        if (StartsWithIgnoringCase(html_.substr(end + 2), contentOf_) &&
            (after == html_.size() || IsHtmlSpace(html_[after]) || html_[after] == '/' ||
             html_[after] == '>')) {
            break;
        }
        end = html_.find("</", end + 2);
    }
    contentOf_.clear();
    return readUntil(kind, end == std::string_view::npos ? html_.size() : end, {});
}

HtmlToken HtmlTokenizer::readTag(bool end) {
    HtmlToken token;
    token.kind = end ? HtmlToken::Kind::EndTag : HtmlToken::Kind::StartTag;
    token.begin = at_;
    std::size_t pos = at_ + (end ? 2 : 1);
    const auto size = html_.size();
    const auto nameEnds = [&](char c) { return IsHtmlSpace(c) || c == '/' || c == '>'; };
    for (; pos < size && !nameEnds(html_[pos]); ++pos) {
        token.name += Lower(html_[pos]);
    }
    const auto skipSpace = [&] {
        while (pos < size && IsHtmlSpace(html_[pos])) {
            ++pos;
        }
    };
    while (true) {
        skipSpace();
        if (pos >= size) {
            // Unterminated: browsers drop it; it is kept as it was.
            token.kind = HtmlToken::Kind::Other;
            token.attributes.clear();
            pos = size;
            break;
        }
        if (html_[pos] == '>') {
            ++pos;
            break;
        }
        if (html_[pos] == '/') {
            ++pos;
            token.selfClosing = pos < size && html_[pos] == '>';
            continue;
        }
        HtmlAttribute attribute{};
        // A name may begin with "=".
        for (attribute.name += Lower(html_[pos++]);
             pos < size && !nameEnds(html_[pos]) && html_[pos] != '='; ++pos) {
            attribute.name += Lower(html_[pos]);
        }
        attribute.valueBegin = attribute.valueEnd = pos;
        skipSpace();
        if (pos < size && html_[pos] == '=') {
            ++pos;
            skipSpace();
            attribute.hasValue = true;
            attribute.valueBegin = attribute.valueEnd = pos;
            if (pos < size && (html_[pos] == '"' || html_[pos] == '\'')) {
                attribute.quote = html_[pos];
                const std::size_t close = html_.find(attribute.quote, pos + 1);
                attribute.valueBegin = pos + 1;
                attribute.valueEnd = close == std::string_view::npos ? size : close;
                pos = close == std::string_view::npos ? size : close + 1;
            } else {
                while (pos < size && !IsHtmlSpace(html_[pos]) && html_[pos] != '>') {
                    ++pos;
                }
                attribute.valueEnd = pos;
            }
        }
        token.attributes.push_back(std::move(attribute));
    }
    token.end = pos;
    at_ = pos;
    if (token.kind == HtmlToken::Kind::StartTag && !token.selfClosing) {
        rcdata_ = std::ranges::find(kRcData, token.name) != kRcData.end();
        if (rcdata_ || std::ranges::find(kRawText, token.name) != kRawText.end()) {
            contentOf_ = token.name;
        }
    }
    return token;
}

std::string DecodeHtml(std::string_view text, bool inAttribute) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '&') {
            if (const auto reference = ReadReference(text.substr(i), inAttribute)) {
                internal::AppendUtf8(out, reference->first);
                i += reference->second;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

} // namespace orvani::documents
