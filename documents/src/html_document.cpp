#include "font_choice.h"
#include "formats.h"
#include "html_encoding.h"
#include "html_fonts.h"
#include "html_tokenizer.h"
#include "nesting_limit.h"
#include "paragraph.h"
#include "text_encoding.h"
#include "xml_events.h"

#include <orvani/internal/ascii.h>
#include <orvani/internal/utf8.h>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace orvani::documents {
namespace {

// Elements that sit inside a line of text: a word may run across them.
constexpr auto kInline = std::to_array<std::string_view>(
    {"a",    "abbr",   "b",   "bdi", "bdo",  "cite", "code", "data", "dfn",
     "em",   "font",   "i",   "kbd", "mark", "q",    "s",    "samp", "small",
     "span", "strong", "sub", "sup", "time", "u",    "var"});
// Elements that have no end tag.
constexpr auto kVoid =
    std::to_array<std::string_view>({"area", "base", "br", "col", "embed", "hr", "img", "input",
                                     "link", "meta", "param", "source", "track", "wbr"});
// Attributes whose values a reader sees.
constexpr auto kReadable =
    std::to_array<std::string_view>({"alt", "title", "placeholder", "label", "abbr"});

template <typename Names>
bool Among(const Names& names, std::string_view name) {
    return std::ranges::find(names, name) != names.end();
}

// `text` as HTML character data, or as an attribute value between `quote`s (0: unquoted).
std::string EscapeHtml(std::string_view text, char quote) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (quote != 0 && c == quote) {
            out += c == '"' ? "&quot;" : "&#39;";
        } else {
            out += c;
        }
    }
    return out;
}

// An attribute that a program reads as a mark, not as text: LibreOffice marks the header and
// the footer of a page it writes with <div title="header"> and <div title="footer">.
bool IsMarker(std::string_view element, std::string_view attribute, std::string_view value) {
    return element == "div" && attribute == "title" &&
           (internal::EqualsIgnoringAsciiCase(value, "header") ||
            internal::EqualsIgnoringAsciiCase(value, "footer"));
}

bool NeedsQuotes(std::string_view value) {
    return value.empty() || std::ranges::any_of(value, [](char c) {
               return IsHtmlSpace(c) || c == '"' || c == '\'' || c == '=' || c == '<' || c == '>' ||
                      c == '`';
           });
}

// Whether valid UTF-8 `text` has a letter, so that the Script font has something to show:
// an ASCII letter, or a character from U+00C0 on that is not punctuation or a symbol.
bool HoldsLetter(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const internal::Utf8Char read = internal::DecodeUtf8(text, i);
        const char32_t c = read.c;
        if (internal::AsciiLetter(c) ||
            (c >= 0xC0 && c != 0xD7 && c != 0xF7 && !(c >= 0x2000 && c <= 0x2BFF))) {
            return true;
        }
        i += read.length;
    }
    return false;
}

// The start of a span in `font`; a generic family goes without quotes, which would make it a
// font's name.
std::string FontSpanStart(std::string_view font) {
    for (const std::string_view generic : {"serif", "sans-serif", "monospace", "cursive"}) {
        if (internal::EqualsIgnoringAsciiCase(font, generic)) {
            return "<span style=\"font-family: " + std::string(generic) + "\">";
        }
    }
    std::string css; // the name between single quotes in CSS
    for (const char c : font) {
        if (c == '\\' || c == '\'') {
            css += '\\';
        }
        css += c;
    }
    return "<span style=\"font-family: '" + EscapeXml(css, true) + "'\">";
}

// What text read from Script is shown in where nothing but the Script font was set: the
// family that browsers and word processors start from.
constexpr std::string_view kPlainFamily = "serif";

// Start tags that end an open element of another name, as HTML leaves their end tags out:
// the names each ends, and those that it does not reach past.
struct ImpliedEnd {
    std::vector<std::string_view> starts;
    std::vector<std::string_view> ends;
    std::vector<std::string_view> within;
};
const std::vector<ImpliedEnd>& ImpliedEnds() {
    static const std::vector<ImpliedEnd> ends{
        {{"p",     "div",        "h1",      "h2",      "h3",       "h4",     "h5",
          "h6",    "ul",         "ol",      "dl",      "pre",      "table",  "form",
          "hr",    "blockquote", "section", "article", "header",   "footer", "nav",
          "aside", "main",       "figure",  "address", "fieldset", "menu",   "details"},
         {"p"},
         {"table", "td", "th", "li", "dd", "dt", "button", "div", "section", "article"}},
        {{"li"}, {"li"}, {"ul", "ol", "menu"}},
        {{"dt", "dd"}, {"dt", "dd"}, {"dl"}},
        {{"td", "th"}, {"td", "th"}, {"tr", "table"}},
        {{"tr"}, {"tr", "td", "th"}, {"table", "tbody", "thead", "tfoot"}},
        {{"option"}, {"option"}, {"select", "datalist"}},
    };
    return ends;
}

class HtmlConversion {
public:
    // `write` is given the converted page in pieces; without it, convert() returns it whole.
    HtmlConversion(std::string_view html, const DocumentSettings& settings,
                   const std::function<void(std::string_view)>* write = nullptr)
        : html_(html), settings_(settings), spanStart_(FontSpanStart(settings.scriptFont)),
          write_(write) {
        if (settings.byFont || ReadsScript(settings)) {
            fonts_.emplace(html);
        }
        out_.reserve(write == nullptr ? html.size() : kPiece * 2);
    }

    std::string convert() {
        HtmlTokenizer tokens(html_, html_.starts_with("\xEF\xBB\xBF") ? 3 : 0);
        while (const std::optional<HtmlToken> token = tokens.next()) {
            switch (token->kind) {
            case HtmlToken::Kind::Text:
                if (translating()) {
                    addRun(*token, foreign_ > 0);
                }
                break;
            case HtmlToken::Kind::RcData:
                breakParagraph();
                if (translating()) {
                    addRun(*token, true);
                }
                breakParagraph();
                break;
            case HtmlToken::Kind::StartTag:
                startTag(*token);
                break;
            case HtmlToken::Kind::EndTag:
                endTag(*token);
                break;
            case HtmlToken::Kind::Comment:
                break;
            case HtmlToken::Kind::RawText:
            case HtmlToken::Kind::Other:
                breakParagraph();
                break;
            }
            // Between paragraphs every edit lies behind: the page is written as it is read.
            if (!paragraph_ && !edits_.empty()) {
                edits_.flush(html_, token->end, copied_, out_);
                if (write_ != nullptr && out_.size() >= kPiece) {
                    (*write_)(out_);
                    out_.clear();
                }
            }
        }
        breakParagraph();
        edits_.flush(html_, html_.size(), copied_, out_);
        if (write_ != nullptr) {
            (*write_)(out_);
            out_.clear();
        }
        return std::move(out_);
    }

private:
    struct Run {
        std::size_t begin;
        std::size_t end;
        std::string source;                 // references decoded
        bool noTags;                        // where a span may not go
        bool converts;                      // the source standard's, by its font
        std::optional<std::string> restore; // the font it is given back, out of Script's
        std::size_t depth;                  // the elements open around it
        std::size_t lowestBefore;           // the fewest open since the run before
    };
    // Where a run stands to the one span that the paragraph's Script text is given.
    enum class SpanPlace { OwnSpan, Opens, Inside, Closes };
    // An open element and the font of the text in it: as the page has it, without the Script
    // font, and as the converted page will have it before any font is given back.
    struct Element {
        std::string name;
        std::optional<std::string> font;
        std::optional<std::string> plain;
        std::optional<std::string> after;
    };
    // An element that turns translation off or on again, open while the element is.
    struct Region {
        std::size_t element; // its place in open_
        bool translate;
    };

    [[nodiscard]] bool translating() const { return regions_.empty() || regions_.back().translate; }

    [[nodiscard]] std::string_view bytes(std::size_t begin, std::size_t end) const {
        return html_.substr(begin, end - begin);
    }

    void addRun(const HtmlToken& token, bool noTags) {
        if (!paragraph_) {
            paragraph_.emplace(settings_);
        }
        const std::optional<std::string>& font = open_.empty() ? kNone : open_.back().font;
        const std::optional<std::string>& after = open_.empty() ? kNone : open_.back().after;
        Run run{token.begin,
                token.end,
                DecodeHtml(bytes(token.begin, token.end)),
                noTags,
                Converts(settings_, inScript(font)),
                std::nullopt,
                open_.size(),
                lowest_};
        lowest_ = open_.size();
        if (run.converts && ReadsScript(settings_) && inScript(after)) {
            run.restore = open_.back().plain.value_or(std::string(kPlainFamily));
        }
        if (run.converts) {
            paragraph_->add(run.source);
        } else {
            (void)paragraph_->keep(run.source);
        }
        runs_.push_back(std::move(run));
    }

    void breakParagraph() {
        if (!paragraph_) {
            return;
        }
        paragraph_->finish();
        const auto shared = sharedSpan();
        for (std::size_t i = 0; i < runs_.size(); ++i) {
            SpanPlace place = SpanPlace::OwnSpan;
            if (shared && i >= shared->first && i <= shared->second) {
                place = i == shared->first    ? SpanPlace::Opens
                        : i == shared->second ? SpanPlace::Closes
                                              : SpanPlace::Inside;
            }
            writeRun(runs_[i], paragraph_->text(i), place);
        }
        paragraph_.reset();
        runs_.clear();
    }

    // The first and the last run with Script letters, where one span can hold all from the
    // one to the other: every run between converted and free to hold tags, and the elements
    // between them closed where they open.
    [[nodiscard]] std::optional<std::pair<std::size_t, std::size_t>> sharedSpan() const {
        if (settings_.to != Standard::Script || settings_.from == Standard::Script) {
            return std::nullopt;
        }
        std::optional<std::size_t> first;
        std::size_t last = 0;
        for (std::size_t i = 0; i < runs_.size(); ++i) {
            if (runs_[i].converts && !runs_[i].noTags && HoldsLetter(paragraph_->text(i))) {
                first = first.value_or(i);
                last = i;
            }
        }
        if (!first || *first == last || runs_[last].depth != runs_[*first].depth) {
            return std::nullopt;
        }
        for (std::size_t i = *first + 1; i <= last; ++i) {
            if (!runs_[i].converts || runs_[i].noTags ||
                runs_[i].lowestBefore < runs_[*first].depth) {
                return std::nullopt;
            }
        }
        return std::pair{*first, last};
    }

    void writeRun(const Run& run, const std::string& converted, SpanPlace place) {
        if (!run.converts) {
            return;
        }
        const bool same = converted == run.source;
        // Unchanged text keeps its bytes, references and all.
        std::string text = same ? std::string(bytes(run.begin, run.end)) : EscapeHtml(converted, 0);
        const bool script = settings_.to == Standard::Script;
        const bool own = place == SpanPlace::OwnSpan && (script || run.restore) && !run.noTags &&
                         HoldsLetter(converted);
        if (own || place == SpanPlace::Opens || place == SpanPlace::Closes) {
            const std::size_t first = std::ranges::find_if_not(text, IsHtmlSpace) - text.begin();
            const std::size_t last =
                text.size() -
                (std::ranges::find_if_not(text.rbegin(), text.rend(), IsHtmlSpace) - text.rbegin());
            const std::string start = place == SpanPlace::Closes ? ""
                                      : script                   ? spanStart_
                                                                 : FontSpanStart(*run.restore);
            const std::string end = place == SpanPlace::Opens ? "" : "</span>";
            text = text.substr(0, first) + start + text.substr(first, last - first) + end +
                   text.substr(last);
        } else if (same) {
            return;
        }
        edits_.replace(run.begin, run.end, std::move(text));
    }

    void convertAttributes(const HtmlToken& token, const Element& element) {
        if (!Converts(settings_, inScript(element.font))) {
            return;
        }
        for (const HtmlAttribute& attribute : token.attributes) {
            if (!attribute.hasValue || !Among(kReadable, attribute.name)) {
                continue;
            }
            const std::string source =
                DecodeHtml(bytes(attribute.valueBegin, attribute.valueEnd), true);
            if (IsMarker(token.name, attribute.name, source)) {
                continue;
            }
            ParagraphConverter value(settings_);
            value.add(source);
            value.finish();
            const std::string& converted = value.text(0);
            if (converted == source) {
                continue;
            }
            std::string written = EscapeHtml(converted, attribute.quote);
            if (attribute.quote == 0 && NeedsQuotes(converted)) {
                written = '"' + EscapeHtml(converted, '"') + '"';
            }
            edits_.replace(attribute.valueBegin, attribute.valueEnd, std::move(written));
        }
    }

    [[nodiscard]] std::optional<bool> translateAttribute(const HtmlToken& token) const {
        for (const HtmlAttribute& attribute : token.attributes) {
            if (attribute.name != "translate") {
                continue;
            }
            const std::string value =
                DecodeHtml(bytes(attribute.valueBegin, attribute.valueEnd), true);
            if (internal::EqualsIgnoringAsciiCase(value, "no")) {
                return false;
            }
            if (value == "yes" || value.empty()) {
                return true;
            }
        }
        return std::nullopt;
    }

    [[nodiscard]] bool inScript(const std::optional<std::string>& font) const {
        return settings_.byFont && font && IsScriptFont(*font, settings_);
    }

    // Ends the open elements from `element` on, and the regions they began.
    void closeFrom(std::size_t element) {
        open_.erase(open_.begin() + static_cast<std::ptrdiff_t>(element), open_.end());
        lowest_ = std::min(lowest_, open_.size());
        while (!regions_.empty() && regions_.back().element >= element) {
            regions_.pop_back();
        }
    }

    // Ends the open elements that this start tag ends where HTML leaves their end tags out.
    void endImplied(const std::string& name) {
        for (const ImpliedEnd& rule : ImpliedEnds()) {
            if (!Among(rule.starts, name)) {
                continue;
            }
            for (auto open = open_.rbegin(); open != open_.rend(); ++open) {
                if (Among(rule.within, open->name)) {
                    break;
                }
                if (Among(rule.ends, open->name)) {
                    closeFrom(static_cast<std::size_t>(open_.rend() - open) - 1);
                    break;
                }
            }
        }
    }

    // The element that `token` starts, with the fonts of its text.
    [[nodiscard]] Element elementOf(const HtmlToken& token, bool ours) const {
        Element element = open_.empty() ? Element{} : open_.back();
        element.name = token.name;
        if (fonts_) {
            if (auto own = fonts_->familyOf(token, html_)) {
                if (!IsScriptFont(*own, settings_)) {
                    element.plain = own;
                }
                if (!ours) {
                    element.after = own;
                }
                element.font = std::move(own);
            }
        }
        return element;
    }

    void startTag(const HtmlToken& token) {
        const bool was = translating();
        const bool opens = !token.selfClosing && !Among(kVoid, token.name);
        // Only a span exactly as this layer writes it is taken away when Script is read.
        const bool ours = token.name == "span" && settings_.from == Standard::Script && was &&
                          bytes(token.begin, token.end) == spanStart_;
        endImplied(token.name);
        if (opens && open_.size() >= kDeepestNesting) {
            throw DocumentError("", "elements nested more than " + std::to_string(kDeepestNesting) +
                                        " deep at byte " + std::to_string(token.begin) +
                                        ", more than a page has");
        }
        Element element = elementOf(token, ours);
        if (token.name == "span") {
            if (ours) {
                edits_.replace(token.begin, token.end, {});
            }
            if (opens) {
                spans_.push_back(ours);
            }
        }
        if ((token.name == "svg" || token.name == "math") && opens) {
            ++foreign_;
        }
        const std::optional<bool> translate = translateAttribute(token);
        if (opens && translate) {
            regions_.push_back({open_.size(), *translate});
        }
        const bool own = translate.value_or(was);
        if (own) {
            convertAttributes(token, element);
        }
        if (opens) {
            open_.push_back(std::move(element));
        }
        if (!Among(kInline, token.name) || own != was) {
            breakParagraph();
        }
    }

    void endTag(const HtmlToken& token) {
        const bool was = translating();
        const auto open =
            std::ranges::find(open_.rbegin(), open_.rend(), token.name, &Element::name);
        if (open != open_.rend()) {
            closeFrom(static_cast<std::size_t>(open_.rend() - open) - 1);
        }
        if (token.name == "span" && !spans_.empty()) {
            if (spans_.back()) {
                edits_.replace(token.begin, token.end, {});
            }
            spans_.pop_back();
        }
        if ((token.name == "svg" || token.name == "math") && foreign_ > 0) {
            --foreign_;
        }
        if (!Among(kInline, token.name) || translating() != was) {
            breakParagraph();
        }
    }

    std::string_view html_;
    const DocumentSettings& settings_;
    std::string spanStart_;
    ByteEdits edits_;
    static constexpr std::size_t kPiece = std::size_t{1} << 20; // what is given to write_ at once
    const std::function<void(std::string_view)>* write_;
    std::string out_;        // the converted page up to copied_, or what write_ has not had
    std::size_t copied_ = 0; // where in the page the edits not yet written begin
    std::size_t lowest_ = 0; // the fewest elements open since the last run
    std::optional<ParagraphConverter> paragraph_;
    std::vector<Run> runs_;
    std::vector<Region> regions_;
    std::vector<bool> spans_; // each open span: whether it is one of ours being taken away
    int foreign_ = 0;         // open svg and math elements, where a span would break out
    std::optional<PageFonts> fonts_;
    std::vector<Element> open_;
    static inline const std::optional<std::string> kNone;
};

} // namespace

void ConvertHtml(std::string_view html, const DocumentSettings& settings,
                 const std::function<void(std::string_view)>& write) {
    const HtmlEncoding encoding = HtmlEncodingOf(html, settings.htmlEncoding);
    if (!IsUtf8Encoding(encoding.name)) {
        const std::string_view mark = html.substr(0, encoding.markLength);
        const std::string text =
            DecodeText(html.substr(mark.size()), encoding.name, "", mark.size());
        write(std::string(mark) +
              EncodeText(HtmlConversion(text, settings).convert(), encoding.name, ""));
        return;
    }
    if (const std::size_t invalid = internal::FindInvalidUtf8(html);
        invalid != std::string_view::npos) {
        throw DocumentError("", "invalid UTF-8 at byte " + std::to_string(invalid));
    }
    (void)HtmlConversion(html, settings, &write).convert();
}

std::string ConvertHtml(std::string_view html, const DocumentSettings& settings) {
    std::string out;
    ConvertHtml(html, settings, [&](std::string_view piece) { out += piece; });
    return out;
}

} // namespace orvani::documents
