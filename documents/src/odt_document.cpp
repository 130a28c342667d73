#include "document_properties.h"
#include "font_choice.h"
#include "formats.h"
#include "odt_fonts.h"
#include "paragraph.h"
#include "xml_encoding.h"
#include "xml_events.h"
#include "zip_document.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvani::documents {
namespace {

const std::string kContentXml = "content.xml";
const std::string kStylesXml = "styles.xml";

constexpr std::string_view kOffice = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view kStyle = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
constexpr std::string_view kText = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr std::string_view kSvg = "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0";
constexpr std::string_view kFo = "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0";

// The namespaces of what this layer writes, with the prefix it declares on the root for each
// where a part binds none at the place it writes.
enum Namespace : std::size_t { Office, Style, Text, Svg };
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kNamespaces{{
    {"office", kOffice},
    {"style", kStyle},
    {"text", kText},
    {"svg", kSvg},
}};

// The prefix that names each of them at one place, where one does.
using Prefixes = std::array<std::optional<std::string>, kNamespaces.size()>;

Prefixes PrefixesIn(const XmlNamespaces& namespaces) {
    Prefixes prefixes;
    for (std::size_t i = 0; i < kNamespaces.size(); ++i) {
        if (const auto prefix = namespaces.prefixOf(kNamespaces[i].second)) {
            prefixes[i] = std::string(*prefix);
        }
    }
    return prefixes;
}

// The automatic text style that this layer gives Orvani Script text, in a span of its own;
// reading Script, such a span is taken away again.
constexpr std::string_view kScriptStyle = "OrvaniScript";

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::ranges::find(names, name) != names.end();
}

bool IsIn(const XmlName& name, std::string_view uri,
          std::initializer_list<std::string_view> locals) {
    return name.uri == uri && IsOneOf(name.local, locals);
}

bool IsHeaderOrFooter(const XmlName& name) {
    return IsIn(name, kStyle,
                {"header", "footer", "header-left", "footer-left", "header-first", "footer-first"});
}

// Elements whose text is the paragraph's own; text:ruby only holds its base and its text.
bool IsTextContainer(const XmlName& name) {
    return IsIn(name, kText, {"span", "a", "ruby", "ruby-base"});
}

// Marks that take no room in the text, so that a word may go on across them.
bool IsMark(const XmlName& name) {
    return name == XmlName{kOffice, "annotation-end"} ||
           IsIn(name, kText,
                {"bookmark", "bookmark-start", "bookmark-end", "reference-mark",
                 "reference-mark-start", "reference-mark-end", "soft-page-break", "change",
                 "change-start", "change-end", "toc-mark", "toc-mark-start", "toc-mark-end",
                 "alphabetical-index-mark", "alphabetical-index-mark-start",
                 "alphabetical-index-mark-end", "user-index-mark", "user-index-mark-start",
                 "user-index-mark-end"});
}

// The attributes of text properties that name a font face or a font family.
bool IsFontName(const XmlName& name) {
    return IsIn(name, kStyle,
                {"font-name", "font-name-asian", "font-name-complex", "font-family-asian",
                 "font-family-complex"}) ||
           name == XmlName{kFo, "font-family"};
}

// The span written around Script text: it names the Script style and has nothing else, not
// even a declaration, whose scope taking the span away would end.
bool IsScriptSpan(const XmlEvent& event) {
    const auto& attributes = *event.attributes;
    return event.element == XmlName{kText, "span"} && attributes.size() == 1 &&
           event.namespaces->attribute(attributes.front().first) == XmlName{kText, "style-name"} &&
           attributes.front().second == kScriptStyle;
}

// Script letter codes are ASCII letters; a run without one needs no Script font.
bool HasLetter(std::string_view text) {
    return std::ranges::any_of(
        text, [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
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
    Property,   // a field that shows the title, subject or keywords: its text reads on its own
    ScriptSpan, // the span this layer wrote around Script text; taken away with its end
    Aside,      // its text is not its paragraph's (fields, note citations, spaces, tabs)
};

// A top-level element of the part, where new ones may have to be written around.
struct Section {
    std::size_t startEnd;
    std::size_t endBegin;
    bool empty;       // written as "<name/>"
    std::string name; // as written
    Prefixes prefixes;
};

// One part (content.xml or styles.xml) converted as an edit of its bytes.
class XmlRewriter {
public:
    // `fonts` tells the font of text, where the conversion goes by it or takes the Script font.
    XmlRewriter(const DocumentSettings& settings, bool stylesPart, const OdtFonts* fonts)
        : settings_(settings), fonts_(fonts), stylesPart_(stylesPart),
          writesScript_(settings.to == Standard::Script && settings.from != Standard::Script),
          readsScript_(ReadsScript(settings)) {}

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
        if (!scriptSpans_.empty()) {
            writeScript();
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
        std::size_t index;                     // in the paragraph's converter
        std::optional<std::string> textPrefix; // where Script is written
        bool converts = true;                  // the source standard's, by its font
    };
    // Written once the whole part is read, when it is known which prefixes are free.
    struct ScriptSpan {
        std::size_t begin;
        std::size_t end;
        std::optional<std::string> text; // converted; nothing where the bytes stay as they were
        std::optional<std::string> prefix;
    };
    struct Paragraph {
        explicit Paragraph(const DocumentSettings& settings) : converter(settings) {}
        ParagraphConverter converter;
        std::vector<Run> runs;
        std::optional<Run> open;
        std::size_t asides = 0; // asides open in it: text there is not the paragraph's
        std::string style;
        std::vector<std::string> spans; // the styles of the spans open in it
    };

    void onStart(const XmlEvent& event) {
        closeRun();
        noteSection(event);
        if (writesScript_) {
            for (const auto& [name, value] : *event.attributes) {
                if (name.starts_with("xmlns:")) {
                    declared_.emplace(name.substr(6), value);
                }
            }
        }
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
            paragraphs_.back().spans.pop_back();
            break;
        case Role::Container:
            paragraphs_.back().spans.pop_back();
            break;
        case Role::Property:
            paragraphs_.back().converter.breakHere();
            paragraphs_.back().spans.pop_back();
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
            break;
        }
        if (roles_.size() == 1) {
            if (event.element == XmlName{kOffice, "font-face-decls"}) {
                endSection(fontFaces_, event);
            } else if (event.element == XmlName{kOffice, "automatic-styles"}) {
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
        std::optional<std::string> prefix;
        if (writesScript_) {
            if (const auto bound = event.namespaces->prefixOf(kText)) {
                prefix = std::string(*bound);
            }
        }
        const bool script =
            settings_.byFont && fonts_ != nullptr &&
            fonts_->inScript(stylesPart_ ? OdtFonts::Part::Styles : OdtFonts::Part::Content,
                             paragraph.spans, paragraph.style);
        paragraph.open = Run{event.begin, event.end,         std::string(event.text),
                             0,           std::move(prefix), Converts(settings_, script)};
    }

    Role roleOf(const XmlEvent& event) {
        const XmlName& name = event.element;
        if (stylesPart_) {
            if (name == XmlName{kStyle, "master-page"}) {
                ++masterPages_;
                return Role::MasterPage;
            }
            if (masterPages_ > 0 && IsHeaderOrFooter(name)) {
                ++headersAndFooters_;
                return Role::HeaderFooter;
            }
        }
        if ((!stylesPart_ || headersAndFooters_ > 0) && IsIn(name, kText, {"p", "h"})) {
            // A note's or a comment's paragraph lies inside another; no word spans the two.
            if (!paragraphs_.empty()) {
                paragraphs_.back().converter.breakHere();
            }
            paragraphs_.emplace_back(settings_);
            paragraphs_.back().style = StyleName(event);
            return Role::Paragraph;
        }
        if (paragraphs_.empty() || paragraphs_.back().asides > 0) {
            return Role::Plain;
        }
        Paragraph& paragraph = paragraphs_.back();
        if (readsScript_ && IsScriptSpan(event)) {
            edits_.replace(event.begin, event.end, "");
            paragraph.spans.emplace_back(kScriptStyle);
            return Role::ScriptSpan;
        }
        if (IsTextContainer(name)) {
            paragraph.spans.push_back(StyleName(event));
            return Role::Container;
        }
        if (IsIn(name, kText, {"title", "subject", "keywords"})) {
            paragraph.converter.breakHere();
            paragraph.spans.push_back(StyleName(event));
            return Role::Property;
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
        paragraph.open->index = paragraph.open->converts
                                    ? paragraph.converter.add(paragraph.open->text)
                                    : paragraph.converter.keep(paragraph.open->text);
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
        if (!run.converts) {
            return;
        }
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
        scriptSpans_.push_back({begin, end,
                                converted == run.text ? std::nullopt : std::optional(text),
                                run.textPrefix});
    }

    // Notes where the root and its sections are, and whether the Script font and style are
    // declared already.
    void noteSection(const XmlEvent& event) {
        const std::size_t depth = roles_.size();
        if (depth > 2) {
            return;
        }
        if (depth == 0) {
            rootPrefixes_ = PrefixesIn(*event.namespaces);
            rootClose_ = event.end - (xml_[event.end - 2] == '/' ? 2 : 1);
        } else if (depth == 1) {
            const bool office = event.element.uri == kOffice;
            topLevel_.emplace_back(office ? std::string(event.element.local) : "", event.begin);
            if (office && event.element.local == "font-face-decls") {
                fontFaces_ = Section{event.end, 0, false, std::string(event.name),
                                     PrefixesIn(*event.namespaces)};
            } else if (office && event.element.local == "automatic-styles") {
                automaticStyles_ = Section{event.end, 0, false, std::string(event.name),
                                           PrefixesIn(*event.namespaces)};
            }
        } else {
            const std::string* name = event.attribute({kStyle, "name"});
            const std::string_view parent = topLevel_.back().first;
            if (name != nullptr && parent == "font-face-decls" &&
                event.element == XmlName{kStyle, "font-face"} && *name == settings_.scriptFont) {
                fontDeclared_ = true;
            }
            if (name != nullptr && parent == "automatic-styles" &&
                event.element == XmlName{kStyle, "style"} && *name == kScriptStyle) {
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
            const XmlName attribute = event.namespaces->attribute(name);
            if (!IsFontName(attribute) || !fonts_->namesScript(attribute.local, value)) {
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

    // Where a new top-level element goes: before the first of those (office elements, by their
    // local names) that must follow it.
    std::size_t before(std::initializer_list<std::string_view> followers) const {
        for (const auto& [name, begin] : topLevel_) {
            if (IsOneOf(name, followers)) {
                return begin;
            }
        }
        return rootEnd_;
    }

    [[nodiscard]] bool bindsElsewhere(std::string_view prefix, std::string_view uri) const {
        return std::ranges::any_of(declared_, [&](const auto& declaration) {
            return declaration.first == prefix && declaration.second != uri;
        });
    }

    // The prefix bound to a namespace at a place, or else the part's own: declared on the root
    // under a name that no element of the part binds to anything else, so that it is in scope
    // everywhere.
    std::string prefix(const std::optional<std::string>& bound, Namespace space) {
        if (bound) {
            return *bound;
        }
        if (!own_[space]) {
            const auto [conventional, uri] = kNamespaces[space];
            std::string name(conventional);
            for (int n = 1; bindsElsewhere(name, uri); ++n) {
                name = std::string(conventional) + std::to_string(n);
            }
            edits_.insert(rootClose_, " xmlns:" + name + "=\"" + std::string(uri) + "\"");
            own_[space] = std::move(name);
        }
        return *own_[space];
    }

    // Adds `content` to a top-level office element, which is written where the part has none.
    void addTo(const std::optional<Section>& section, std::string_view local,
               const std::string& content, std::size_t otherwiseAt) {
        if (!section) {
            const std::string name =
                prefix(rootPrefixes_[Office], Office) + ":" + std::string(local);
            edits_.insert(otherwiseAt, "<" + name + ">" + content + "</" + name + ">");
        } else if (section->empty) {
            edits_.replace(section->startEnd - 2, section->startEnd,
                           ">" + content + "</" + section->name + ">");
        } else {
            edits_.insert(section->endBegin, content);
        }
    }

    // Writes the spans around Script text, and declares the Script font and the text style
    // that they name.
    void writeScript() {
        for (const ScriptSpan& span : scriptSpans_) {
            const std::string text = prefix(span.prefix, Text);
            const std::string start =
                "<" + text + ":span " + text + ":style-name=\"" + std::string(kScriptStyle) + "\">";
            const std::string end = "</" + text + ":span>";
            if (span.text) {
                edits_.replace(span.begin, span.end, start + *span.text + end);
            } else {
                edits_.insert(span.begin, start);
                edits_.insert(span.end, end);
            }
        }
        const std::string font = EscapeXml(settings_.scriptFont, true);
        if (!fontDeclared_) {
            const Prefixes& at = fontFaces_ ? fontFaces_->prefixes : rootPrefixes_;
            const std::string style = prefix(at[Style], Style);
            addTo(fontFaces_, "font-face-decls",
                  "<" + style + ":font-face " + style + ":name=\"" + font + "\" " +
                      prefix(at[Svg], Svg) + ":font-family=\"&apos;" + font + "&apos;\"/>",
                  before({"styles", "automatic-styles", "master-styles", "body"}));
        }
        if (!styleDeclared_) {
            const Prefixes& at = automaticStyles_ ? automaticStyles_->prefixes : rootPrefixes_;
            const std::string s = prefix(at[Style], Style) + ":";
            addTo(automaticStyles_, "automatic-styles",
                  "<" + s + "style " + s + "name=\"" + std::string(kScriptStyle) + "\" " + s +
                      "family=\"text\"><" + s + "text-properties " + s + "font-name=\"" + font +
                      "\" " + s + "font-name-asian=\"" + font + "\" " + s + "font-name-complex=\"" +
                      font + "\"/></" + s + "style>",
                  before({"master-styles", "body"}));
        }
    }

    static std::string StyleName(const XmlEvent& event) {
        const std::string* name = event.attribute({kText, "style-name"});
        return name == nullptr ? std::string() : *name;
    }

    const DocumentSettings& settings_;
    const OdtFonts* fonts_;
    const bool stylesPart_;
    const bool writesScript_;
    const bool readsScript_;
    std::string_view xml_;
    ByteEdits edits_;
    std::vector<Role> roles_;
    std::vector<Paragraph> paragraphs_;
    std::size_t masterPages_ = 0;
    std::size_t headersAndFooters_ = 0;
    std::vector<ScriptSpan> scriptSpans_;
    std::set<std::pair<std::string, std::string>> declared_; // every prefix bound in the part
    Prefixes own_;
    Prefixes rootPrefixes_;
    std::size_t rootClose_ = 0; // where the root's start tag closes
    std::size_t rootEnd_ = 0;
    std::vector<std::pair<std::string, std::size_t>> topLevel_;
    std::optional<Section> fontFaces_;
    std::optional<Section> automaticStyles_;
    bool fontDeclared_ = false;
    bool styleDeclared_ = false;
};

// A flat OpenDocument text (.fodt): one XML document with the styles, the master pages, the
// body and the properties, read as content.xml is.
std::string ConvertFlatOdt(std::string_view flat, const DocumentSettings& settings) {
    const XmlPartText xml{std::string(flat), ""};
    std::optional<OdtFonts> fonts;
    if (settings.byFont || ReadsScript(settings)) {
        fonts.emplace(xml.utf8(), settings);
    }
    std::optional<std::string> converted =
        XmlRewriter(settings, false, fonts ? &*fonts : nullptr).convert(xml.utf8(), "");
    const std::string_view text = converted ? *converted : xml.utf8();
    if (auto properties = ConvertDocumentProperties(text, "", settings)) {
        converted = std::move(properties);
    }
    return converted ? xml.encode(std::move(*converted)) : std::string(flat);
}

} // namespace

std::string ConvertOdt(std::string_view odt, const DocumentSettings& settings) {
    if (!odt.starts_with("PK")) {
        return ConvertFlatOdt(odt, settings);
    }
    ZipDocument document(odt);
    std::optional<OdtFonts> fonts;
    if (settings.byFont || ReadsScript(settings)) {
        fonts.emplace(document, settings);
    }
    for (const std::string& part : {kContentXml, kStylesXml}) {
        const bool styles = part == kStylesXml;
        if (styles && !document.has(part)) {
            continue;
        }
        const XmlPartText xml(document.read(part), part);
        if (auto converted = XmlRewriter(settings, styles, fonts ? &*fonts : nullptr)
                                 .convert(xml.utf8(), part)) {
            document.replace(part, xml.encode(std::move(*converted)));
        }
    }
    if (document.has(kOdtProperties)) {
        const XmlPartText xml(document.read(kOdtProperties), kOdtProperties);
        if (auto converted = ConvertDocumentProperties(xml.utf8(), kOdtProperties, settings)) {
            document.replace(kOdtProperties, xml.encode(std::move(*converted)));
        }
    }
    return document.save();
}

} // namespace orvani::documents
