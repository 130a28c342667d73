#include "formats.h"
#include "paragraph.h"
#include "xml_events.h"
#include "zip_document.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvani::documents {
namespace {

const std::string kContentXml = "content.xml";
const std::string kStylesXml = "styles.xml";

// The automatic text style that this layer gives Orvani Script text, and the span written
// around that text; reading Script, exactly this start tag is taken away again.
constexpr std::string_view kScriptStyle = "OrvaniScript";
constexpr std::string_view kScriptSpanStart = R"(<text:span text:style-name="OrvaniScript">)";
constexpr std::string_view kSpanEnd = "</text:span>";

// The namespaces of what this layer writes, declared on the root where a part lacks them.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kNamespaces{{
    {"office", "urn:oasis:names:tc:opendocument:xmlns:office:1.0"},
    {"style", "urn:oasis:names:tc:opendocument:xmlns:style:1.0"},
    {"text", "urn:oasis:names:tc:opendocument:xmlns:text:1.0"},
    {"svg", "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"},
}};

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::ranges::find(names, name) != names.end();
}

bool IsHeaderOrFooter(std::string_view name) {
    return IsOneOf(name, {"style:header", "style:footer", "style:header-left", "style:footer-left",
                          "style:header-first", "style:footer-first"});
}

// Elements whose text is the paragraph's own; text:ruby only holds its base and its text.
bool IsTextContainer(std::string_view name) {
    return IsOneOf(name, {"text:span", "text:a", "text:ruby", "text:ruby-base"});
}

// Marks that take no room in the text, so that a word may go on across them.
bool IsMark(std::string_view name) {
    return IsOneOf(name, {"text:bookmark",
                          "text:bookmark-start",
                          "text:bookmark-end",
                          "text:reference-mark",
                          "text:reference-mark-start",
                          "text:reference-mark-end",
                          "text:soft-page-break",
                          "text:change",
                          "text:change-start",
                          "text:change-end",
                          "office:annotation-end",
                          "text:toc-mark",
                          "text:toc-mark-start",
                          "text:toc-mark-end",
                          "text:alphabetical-index-mark",
                          "text:alphabetical-index-mark-start",
                          "text:alphabetical-index-mark-end",
                          "text:user-index-mark",
                          "text:user-index-mark-start",
                          "text:user-index-mark-end"});
}

bool IsFontName(std::string_view name) {
    return IsOneOf(name, {"style:font-name", "style:font-name-asian", "style:font-name-complex"});
}

// Script letter codes are ASCII letters; a run without one needs no Script font.
bool HasLetter(std::string_view text) {
    return std::ranges::any_of(
        text, [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

const std::string* Attribute(const XmlEvent& event, std::string_view name) {
    for (const auto& [key, value] : *event.attributes) {
        if (key == name) {
            return &value;
        }
    }
    return nullptr;
}

// Where one attribute of a start tag lies, with the white space before it.
struct AttributeBytes {
    std::string_view name;
    std::size_t begin; // from the start of the tag
    std::size_t end;
};

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The attributes of a start tag that the XML reader has already found well-formed.
std::vector<AttributeBytes> AttributesOf(std::string_view tag) {
    std::vector<AttributeBytes> found;
    std::size_t at = 1;
    while (at < tag.size() && !IsXmlSpace(tag[at]) && tag[at] != '/' && tag[at] != '>') {
        ++at;
    }
    for (;;) {
        const std::size_t begin = at;
        while (at < tag.size() && IsXmlSpace(tag[at])) {
            ++at;
        }
        if (at >= tag.size() || tag[at] == '/' || tag[at] == '>') {
            return found;
        }
        const std::size_t nameBegin = at;
        while (tag[at] != '=' && !IsXmlSpace(tag[at])) {
            ++at;
        }
        const std::string_view name = tag.substr(nameBegin, at - nameBegin);
        at = tag.find_first_of("\"'", at);
        at = tag.find(tag[at], at + 1) + 1;
        found.push_back({name, begin, at});
    }
}

// How many bytes of white space `raw` (a run's bytes) and `text` (its converted text) start
// with alike, so that they stay byte for byte. Line ends in the raw bytes read as "\n".
std::pair<std::size_t, std::size_t> LeadingSpace(std::string_view raw, std::string_view text) {
    std::size_t r = 0;
    std::size_t t = 0;
    while (r < raw.size() && t < text.size()) {
        if (raw[r] == '\r' && text[t] == '\n') {
            r += raw.substr(r).starts_with("\r\n") ? 2 : 1;
        } else if ((raw[r] == ' ' || raw[r] == '\t' || raw[r] == '\n') && raw[r] == text[t]) {
            ++r;
        } else {
            break;
        }
        ++t;
    }
    return {r, t};
}

// The same at the end: how many bytes of white space end both alike.
std::pair<std::size_t, std::size_t> TrailingSpace(std::string_view raw, std::string_view text) {
    std::size_t r = raw.size();
    std::size_t t = text.size();
    while (r > 0 && t > 0) {
        const char c = raw[r - 1];
        if ((c == '\n' || c == '\r') && text[t - 1] == '\n') {
            r -= c == '\n' && raw.substr(0, r).ends_with("\r\n") ? 2 : 1;
        } else if ((c == ' ' || c == '\t') && c == text[t - 1]) {
            --r;
        } else {
            break;
        }
        --t;
    }
    return {raw.size() - r, text.size() - t};
}

// What an element is to the text inside it.
enum class Role {
    Plain,
    MasterPage,
    HeaderFooter, // in styles.xml, the only text there that is converted
    Paragraph,
    Container,  // its text is its paragraph's (spans, links)
    ScriptSpan, // the span this layer wrote around Script text; taken away with its end
    Aside,      // its text is not its paragraph's (fields, note citations, spaces, tabs)
};

// A top-level element of the part, where new ones may have to be written around.
struct Section {
    std::size_t startEnd;
    std::size_t endBegin;
    bool empty; // written as "<name/>"
};

// One part (content.xml or styles.xml) converted as an edit of its bytes.
class XmlRewriter {
public:
    XmlRewriter(const DocumentSettings& settings, bool stylesPart)
        : settings_(settings), stylesPart_(stylesPart), prototype_(settings),
          writesScript_(settings.to == Standard::Script && settings.from != Standard::Script),
          readsScript_(settings.from == Standard::Script && settings.to != Standard::Script) {}

    // The part with its text converted, or nothing where not a byte would change.
    std::optional<std::string> convert(std::string_view xml, const std::string& name) {
        xml_ = xml;
        ReadXml(xml, name, [this](const XmlEvent& event) {
            switch (event.kind) {
            case XmlEvent::Kind::Start:
                onStart(event);
                break;
            case XmlEvent::Kind::End:
                onEnd(event);
                break;
            case XmlEvent::Kind::Text:
                onText(event);
                break;
            }
        });
        if (scriptRuns_ > 0) {
            declareScriptStyle();
        }
        if (edits_.empty()) {
            return std::nullopt;
        }
        return edits_.apply(xml);
    }

private:
    struct Run {
        std::size_t begin;
        std::size_t end;
        std::string text;
        std::size_t index; // in the paragraph's converter
    };
    struct Paragraph {
        explicit Paragraph(const ParagraphConverter& prototype) : converter(prototype) {}
        ParagraphConverter converter;
        std::vector<Run> runs;
        std::optional<Run> open;
        std::size_t asides = 0; // asides open in it: text there is not the paragraph's
    };

    void onStart(const XmlEvent& event) {
        closeRun();
        noteSection(event);
        if (readsScript_) {
            dropScriptFont(event);
        }
        roles_.push_back(roleOf(event));
    }

    void onEnd(const XmlEvent& event) {
        closeRun();
        const Role role = roles_.back();
        roles_.pop_back();
        switch (role) {
        case Role::Paragraph:
            finishParagraph();
            break;
        case Role::ScriptSpan:
            edits_.replace(event.begin, event.end, "");
            break;
        case Role::Aside:
            --paragraphs_.back().asides;
            break;
        case Role::HeaderFooter:
            --headersAndFooters_;
            break;
        case Role::MasterPage:
            --masterPages_;
            break;
        case Role::Plain:
        case Role::Container:
            break;
        }
        if (roles_.size() == 1) {
            if (event.name == "office:font-face-decls") {
                endSection(fontFaces_, event);
            } else if (event.name == "office:automatic-styles") {
                endSection(automaticStyles_, event);
            }
        } else if (roles_.empty()) {
            rootEnd_ = event.begin;
        }
    }

    void onText(const XmlEvent& event) {
        if (paragraphs_.empty() || paragraphs_.back().asides > 0) {
            return;
        }
        Paragraph& paragraph = paragraphs_.back();
        // A comment between two pieces of text keeps them apart: it must stay as it was.
        if (paragraph.open && paragraph.open->end == event.begin) {
            paragraph.open->end = event.end;
            paragraph.open->text += event.text;
            return;
        }
        closeRun();
        paragraph.open = Run{event.begin, event.end, std::string(event.text), 0};
    }

    Role roleOf(const XmlEvent& event) {
        const std::string_view name = event.name;
        if (stylesPart_) {
            if (name == "style:master-page") {
                ++masterPages_;
                return Role::MasterPage;
            }
            if (masterPages_ > 0 && IsHeaderOrFooter(name)) {
                ++headersAndFooters_;
                return Role::HeaderFooter;
            }
        }
        if ((!stylesPart_ || headersAndFooters_ > 0) && (name == "text:p" || name == "text:h")) {
            // A note's or a comment's paragraph lies inside another; no word spans the two.
            if (!paragraphs_.empty()) {
                paragraphs_.back().converter.breakHere();
            }
            paragraphs_.emplace_back(prototype_);
            return Role::Paragraph;
        }
        if (paragraphs_.empty() || paragraphs_.back().asides > 0) {
            return Role::Plain;
        }
        Paragraph& paragraph = paragraphs_.back();
        if (readsScript_ && name == "text:span" &&
            xml_.substr(event.begin, event.end - event.begin) == kScriptSpanStart) {
            edits_.replace(event.begin, event.end, "");
            return Role::ScriptSpan;
        }
        if (IsTextContainer(name)) {
            return Role::Container;
        }
        if (!IsMark(name)) {
            paragraph.converter.breakHere();
        }
        ++paragraph.asides;
        return Role::Aside;
    }

    void closeRun() {
        if (paragraphs_.empty() || !paragraphs_.back().open) {
            return;
        }
        Paragraph& paragraph = paragraphs_.back();
        paragraph.open->index = paragraph.converter.add(paragraph.open->text);
        paragraph.runs.push_back(std::move(*paragraph.open));
        paragraph.open.reset();
    }

    void finishParagraph() {
        Paragraph& paragraph = paragraphs_.back();
        paragraph.converter.finish();
        for (const Run& run : paragraph.runs) {
            rewrite(run, paragraph.converter.text(run.index));
        }
        paragraphs_.pop_back();
    }

    // Writes a run's converted text in place of its bytes; the white space at its ends stays
    // as it was, outside any span, so that nothing changes how spaces collapse.
    void rewrite(const Run& run, std::string_view converted) {
        const bool inScript = writesScript_ && HasLetter(converted);
        if (converted == run.text && !inScript) {
            return;
        }
        const std::string_view raw = xml_.substr(run.begin, run.end - run.begin);
        const auto [rawLead, textLead] = LeadingSpace(raw, converted);
        const auto [rawTrail, textTrail] =
            TrailingSpace(raw.substr(rawLead), converted.substr(textLead));
        const std::size_t begin = run.begin + rawLead;
        const std::size_t end = run.end - rawTrail;
        const std::string text =
            EscapeXml(converted.substr(textLead, converted.size() - textLead - textTrail));
        if (!inScript) {
            edits_.replace(begin, end, text);
            return;
        }
        ++scriptRuns_;
        if (converted == run.text) {
            edits_.insert(begin, std::string(kScriptSpanStart));
            edits_.insert(end, std::string(kSpanEnd));
        } else {
            edits_.replace(begin, end,
                           std::string(kScriptSpanStart) + text + std::string(kSpanEnd));
        }
    }

    // Notes where the root and its sections are, and whether the Script font and style are
    // declared already.
    void noteSection(const XmlEvent& event) {
        const std::size_t depth = roles_.size();
        if (depth == 0) {
            rootAttributes_ = *event.attributes;
            rootStartEnd_ = event.end;
        } else if (depth == 1) {
            topLevel_.emplace_back(std::string(event.name), event.begin);
            if (event.name == "office:font-face-decls") {
                fontFaces_ = Section{event.end, 0, false};
            } else if (event.name == "office:automatic-styles") {
                automaticStyles_ = Section{event.end, 0, false};
            }
        } else if (depth == 2) {
            const std::string* name = Attribute(event, "style:name");
            const std::string_view parent = topLevel_.back().first;
            if (name != nullptr && parent == "office:font-face-decls" &&
                event.name == "style:font-face" && *name == settings_.scriptFont) {
                fontDeclared_ = true;
            }
            if (name != nullptr && parent == "office:automatic-styles" &&
                event.name == "style:style" && *name == kScriptStyle) {
                styleDeclared_ = true;
            }
        }
    }

    static void endSection(std::optional<Section>& section, const XmlEvent& event) {
        // An empty element's end has no bytes of its own.
        section->empty = event.begin == event.end;
        section->endBegin = event.begin;
    }

    // Takes away the attributes that give text the Script font, so that it falls back to the
    // font around it.
    void dropScriptFont(const XmlEvent& event) {
        std::optional<std::vector<AttributeBytes>> bytes;
        for (const auto& [name, value] : *event.attributes) {
            if (!IsFontName(name) || value != settings_.scriptFont) {
                continue;
            }
            if (!bytes) {
                bytes = AttributesOf(xml_.substr(event.begin, event.end - event.begin));
            }
            for (const AttributeBytes& attribute : *bytes) {
                if (attribute.name == name) {
                    edits_.replace(event.begin + attribute.begin, event.begin + attribute.end, "");
                }
            }
        }
    }

    // Where a new top-level element goes: before the first of those that must follow it.
    std::size_t before(std::initializer_list<std::string_view> followers) const {
        for (const auto& [name, begin] : topLevel_) {
            if (IsOneOf(name, followers)) {
                return begin;
            }
        }
        return rootEnd_;
    }

    void addTo(const std::optional<Section>& section, std::string_view name, std::string content,
               std::size_t otherwiseAt) {
        if (!section) {
            edits_.insert(otherwiseAt,
                          "<" + std::string(name) + ">" + content + "</" + std::string(name) + ">");
        } else if (section->empty) {
            edits_.replace(section->startEnd - 2, section->startEnd,
                           ">" + content + "</" + std::string(name) + ">");
        } else {
            edits_.insert(section->endBegin, std::move(content));
        }
    }

    // Declares the Script font and the text style that the spans name.
    void declareScriptStyle() {
        for (const auto& [prefix, uri] : kNamespaces) {
            const std::string declaration = "xmlns:" + std::string(prefix);
            if (std::ranges::none_of(rootAttributes_,
                                     [&](const auto& a) { return a.first == declaration; })) {
                edits_.insert(rootStartEnd_ - 1,
                              " " + declaration + "=\"" + std::string(uri) + "\"");
            }
        }
        const std::string font = EscapeXml(settings_.scriptFont, true);
        if (!fontDeclared_) {
            addTo(fontFaces_, "office:font-face-decls",
                  "<style:font-face style:name=\"" + font + "\" svg:font-family=\"&apos;" + font +
                      "&apos;\"/>",
                  stylesPart_
                      ? before({"office:styles", "office:automatic-styles", "office:master-styles"})
                      : before({"office:automatic-styles", "office:body"}));
        }
        if (!styleDeclared_) {
            addTo(automaticStyles_, "office:automatic-styles",
                  "<style:style style:name=\"" + std::string(kScriptStyle) +
                      "\" style:family=\"text\"><style:text-properties style:font-name=\"" + font +
                      "\" style:font-name-asian=\"" + font + "\" style:font-name-complex=\"" +
                      font + "\"/></style:style>",
                  stylesPart_ ? before({"office:master-styles"}) : before({"office:body"}));
        }
    }

    const DocumentSettings& settings_;
    const bool stylesPart_;
    const ParagraphConverter prototype_; // copied for each paragraph: its tables are built once
    const bool writesScript_;
    const bool readsScript_;
    std::string_view xml_;
    ByteEdits edits_;
    std::vector<Role> roles_;
    std::vector<Paragraph> paragraphs_;
    std::size_t masterPages_ = 0;
    std::size_t headersAndFooters_ = 0;
    std::size_t scriptRuns_ = 0;
    std::vector<std::pair<std::string, std::string>> rootAttributes_;
    std::size_t rootStartEnd_ = 0;
    std::size_t rootEnd_ = 0;
    std::vector<std::pair<std::string, std::size_t>> topLevel_;
    std::optional<Section> fontFaces_;
    std::optional<Section> automaticStyles_;
    bool fontDeclared_ = false;
    bool styleDeclared_ = false;
};

} // namespace

std::string ConvertOdt(std::string_view odt, const DocumentSettings& settings) {
    ZipDocument document(odt);
    for (const std::string& part : {kContentXml, kStylesXml}) {
        const bool styles = part == kStylesXml;
        if (styles && !document.has(part)) {
            continue;
        }
        const std::string xml = document.read(part);
        if (auto converted = XmlRewriter(settings, styles).convert(xml, part)) {
            document.replace(part, std::move(*converted));
        }
    }
    return document.save();
}

} // namespace orvani::documents
