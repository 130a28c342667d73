#include "document_properties.h"
#include "docx_fonts.h"
#include "font_choice.h"
#include "formats.h"
#include "paragraph.h"
#include "word_names.h"
#include "xml_encoding.h"
#include "xml_events.h"
#include "zip_document.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvani::documents {
namespace {

const std::string kMainXml = "word/document.xml";

constexpr std::string_view kCompatibilityNamespace =
    "http://schemas.openxmlformats.org/markup-compatibility/2006";

// Run content that shows as something other than a letter, so no spelling spans it.
bool IsBreak(std::string_view name) {
    const std::string_view breaks[] = {"tab",
                                       "br",
                                       "cr",
                                       "ptab",
                                       "sym",
                                       "noBreakHyphen",
                                       "fldChar",
                                       "drawing",
                                       "pict",
                                       "object",
                                       "footnoteReference",
                                       "endnoteReference"};
    return std::ranges::find(breaks, name) != std::end(breaks);
}

// The parts whose text a reader sees: the body, headers, footers, notes and comments.
bool IsConverted(std::string_view name) {
    if (name == kMainXml || name == "word/footnotes.xml" || name == "word/endnotes.xml" ||
        name == "word/comments.xml") {
        return true;
    }
    for (const std::string_view prefix : {"word/header", "word/footer"}) {
        if (name.starts_with(prefix) && name.ends_with(".xml") &&
            name.find('/', prefix.size()) == std::string_view::npos) {
            return true;
        }
    }
    return false;
}

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The Script font's letters are all ASCII letter codes; a run without one needs no font.
bool HasLetter(std::string_view text) {
    return std::ranges::any_of(
        text, [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

// The byte range of the value of xml:space in a start tag's bytes.
std::optional<std::pair<std::size_t, std::size_t>> SpaceValue(std::string_view tag) {
    const std::size_t at = tag.find("xml:space");
    const std::size_t open = tag.find_first_of("\"'", at);
    if (at == std::string_view::npos || open == std::string_view::npos) {
        return std::nullopt;
    }
    return std::pair{open + 1, tag.find(tag[open], open + 1)};
}

// How WordprocessingML is written inside an element: the prefix the element itself was written
// with, and one that attributes there may use, where there is one.
struct Prefixes {
    std::string element; // empty where the namespace is the default one
    std::string_view uri;
    std::optional<std::string> attribute;
};

Prefixes PrefixesIn(const XmlEvent& event) {
    const std::size_t colon = event.name.find(':');
    const std::string_view uri = WordNamespace(event.element.uri);
    const auto attribute = event.namespaces->prefixOf(uri);
    return {std::string(colon == std::string_view::npos ? "" : event.name.substr(0, colon)), uri,
            attribute ? std::optional<std::string>(*attribute) : std::nullopt};
}

// One part read event by event: each paragraph's w:t texts are converted together, and each
// run's font is set or taken away once its text is known.
class XmlConverter {
public:
    // `fonts` tells each run's font, where the conversion goes by it or takes the Script font.
    XmlConverter(std::string_view xml, const DocumentSettings& settings, const DocxFonts* fonts)
        : xml_(xml), settings_(settings), fonts_(fonts) {}

    void handle(const XmlEvent& event) {
        switch (event.kind) {
        case XmlEvent::Kind::Start:
            start(event);
            break;
        case XmlEvent::Kind::End:
            end(event);
            break;
        case XmlEvent::Kind::Text:
            if (!roles_.empty() && roles_.back() == Role::Text) {
                paragraphs_.back().texts.back().original += event.text;
            }
            break;
        }
    }

    // The edits that make the converted part; called once, after the last event.
    [[nodiscard]] ByteEdits finish() {
        for (Run& run : runs_) {
            if (settings_.to == Standard::Script) {
                if (run.hasLetter) {
                    giveScriptFont(run);
                }
            } else if (ReadsScript(settings_) && run.converted && inScript(run)) {
                takeScriptFont(run);
            }
        }
        return std::move(edits_);
    }

private:
    enum class Role {
        Paragraph,
        ParagraphProperties,
        Run,
        RunProperties,
        RunStyle,
        RunFonts,
        Text,
        Other
    };

    struct Fonts {
        std::size_t begin;
        std::size_t end = 0;
    };
    struct Properties {
        std::size_t tagEnd; // after the start tag
        bool empty;         // <w:rPr/>
        std::string name;
        Prefixes prefixes;
    };
    struct Run {
        Prefixes prefixes;
        std::size_t contentBegin;
        std::optional<Properties> properties;
        std::optional<std::size_t> afterStyle;
        std::vector<Fonts> fonts;
        std::string paragraphStyle;
        std::string style;
        std::unique_ptr<RunFonts> direct; // apart: most runs have none
        std::optional<bool> script;       // in the Script font, once known
        bool converted = false;           // some of its text is converted
        bool hasLetter = false;           // in its converted text
    };
    struct Text {
        std::size_t run;
        std::string name;
        std::size_t tagBegin;
        std::size_t tagEnd;
        bool empty; // <w:t/>
        std::optional<std::string> space;
        std::string original;
        std::size_t contentEnd = 0;
        std::size_t number = 0;
        bool deleted = false; // w:delText, a tracked deletion's
    };
    struct Paragraph {
        explicit Paragraph(const DocumentSettings& settings)
            : converter(settings), deleted(settings) {}
        ParagraphConverter converter;
        // Deleted text reads on its own: the text around a deletion reads on across it once
        // the change is accepted, and the deleted text alone comes back if it is rejected.
        ParagraphConverter deleted;
        std::vector<Text> texts;
        std::string style;

        ParagraphConverter& converterOf(const Text& text) {
            return text.deleted ? deleted : converter;
        }
    };

    void breakParagraph() {
        if (!paragraphs_.empty()) {
            paragraphs_.back().converter.breakHere();
            paragraphs_.back().deleted.breakHere();
        }
    }

    void start(const XmlEvent& event) {
        const Role parent = roles_.empty() ? Role::Other : roles_.back();
        const std::string_view name = Word(event.element);
        const bool empty = xml_[event.end - 2] == '/';
        Role role = Role::Other;
        if (name == "p") {
            // A text box's paragraph splits the one around it.
            breakParagraph();
            paragraphs_.emplace_back(settings_);
            role = Role::Paragraph;
        } else if (parent == Role::Paragraph && name == "pPr") {
            role = Role::ParagraphProperties;
        } else if (parent == Role::ParagraphProperties && name == "pStyle") {
            paragraphs_.back().style = WordValue(event);
        } else if (name == "r") {
            Run run{};
            run.prefixes = PrefixesIn(event);
            run.contentBegin = event.end;
            run.paragraphStyle = paragraphs_.empty() ? "" : paragraphs_.back().style;
            runs_.push_back(std::move(run));
            openRuns_.push_back(runs_.size() - 1);
            role = Role::Run;
        } else if (parent == Role::Run && name == "rPr") {
            runs_[openRuns_.back()].properties = {event.end, empty, std::string(event.name),
                                                  PrefixesIn(event)};
            role = Role::RunProperties;
        } else if (parent == Role::RunProperties && name == "rStyle") {
            runs_[openRuns_.back()].style = WordValue(event);
            role = Role::RunStyle;
        } else if (parent == Role::RunProperties && name == "rFonts") {
            Run& run = runs_[openRuns_.back()];
            run.fonts.push_back({event.begin, 0});
            run.direct = std::make_unique<RunFonts>(RunFonts::Read(event));
            role = Role::RunFonts;
        } else if (name == "del" && !paragraphs_.empty()) {
            paragraphs_.back().deleted.breakHere();
        } else if (parent == Role::Run && (name == "t" || name == "delText") &&
                   !paragraphs_.empty()) {
            std::optional<std::string> space;
            if (const std::string* value = event.attribute({kXmlNamespace, "space"})) {
                space = *value;
            }
            // Room for the text up to the next tag, so that a long one does not grow by copies.
            std::string original;
            original.reserve(std::min(xml_.find('<', event.end), xml_.size()) - event.end);
            paragraphs_.back().texts.push_back({openRuns_.back(), std::string(event.name),
                                                event.begin, event.end, empty, std::move(space),
                                                std::move(original), 0, 0, name == "delText"});
            role = Role::Text;
        } else if (parent == Role::Run && IsBreak(name)) {
            breakParagraph();
        } else if (IsAlternative(event.element)) {
            breakParagraph();
        }
        roles_.push_back(role);
    }

    void end(const XmlEvent& event) {
        const Role role = roles_.back();
        roles_.pop_back();
        switch (role) {
        case Role::Paragraph:
            finishParagraph(paragraphs_.back());
            paragraphs_.pop_back();
            break;
        case Role::Run:
            openRuns_.pop_back();
            break;
        case Role::RunStyle:
            runs_[openRuns_.back()].afterStyle = event.end;
            break;
        case Role::RunFonts:
            runs_[openRuns_.back()].fonts.back().end = event.end;
            break;
        case Role::Text: {
            Paragraph& paragraph = paragraphs_.back();
            Text& text = paragraph.texts.back();
            text.contentEnd = event.begin;
            Run& run = runs_[text.run];
            const bool converts = Converts(settings_, settings_.byFont && inScript(run));
            run.converted = run.converted || converts;
            ParagraphConverter& converter = paragraph.converterOf(text);
            text.number = converts ? converter.add(text.original) : converter.keep(text.original);
            break;
        }
        case Role::ParagraphProperties:
        case Role::RunProperties:
        case Role::Other:
            // The other version of the same content must not pair with this one.
            if (IsAlternative(event.element)) {
                breakParagraph();
            }
            break;
        }
    }

    // mc:Choice and mc:Fallback hold two versions of the same content.
    static bool IsAlternative(const XmlName& name) {
        return name.uri == kCompatibilityNamespace &&
               (name.local == "Choice" || name.local == "Fallback");
    }

    // The w:val of an element, or empty.
    static std::string WordValue(const XmlEvent& event) {
        for (const auto& [name, value] : *event.attributes) {
            if (Word(event.namespaces->attribute(name)) == "val") {
                return value;
            }
        }
        return {};
    }

    // Known once its properties are, before its first text.
    bool inScript(Run& run) const {
        if (!run.script) {
            run.script = fonts_ != nullptr &&
                         fonts_->inScript({run.direct.get(), run.style, run.paragraphStyle});
        }
        return *run.script;
    }

    void finishParagraph(Paragraph& paragraph) {
        paragraph.converter.finish();
        paragraph.deleted.finish();
        for (const Text& text : paragraph.texts) {
            const std::string& converted = paragraph.converterOf(text).text(text.number);
            Run& run = runs_[text.run];
            run.hasLetter = run.hasLetter || (run.converted && HasLetter(converted));
            if (converted != text.original) {
                rewrite(text, converted);
            }
        }
    }

    void rewrite(const Text& text, const std::string& converted) {
        // Word drops the spaces at either end of a text unless it is told to keep them.
        const bool padded =
            !converted.empty() && (IsXmlSpace(converted.front()) || IsXmlSpace(converted.back()));
        const std::size_t close = text.tagEnd - (text.empty ? 2 : 1);
        if (padded && !text.space) {
            edits_.insert(close, " xml:space=\"preserve\"");
        } else if (padded && text.space != "preserve") {
            const std::string_view tag = xml_.substr(text.tagBegin, close - text.tagBegin);
            if (const auto value = SpaceValue(tag)) {
                edits_.replace(text.tagBegin + value->first, text.tagBegin + value->second,
                               "preserve");
            }
        }
        if (text.empty) {
            std::string element(1, '>');
            element.append(EscapeXml(converted)).append("</").append(text.name).append(">");
            edits_.replace(close, text.tagEnd, std::move(element));
        } else {
            edits_.replace(text.tagEnd, text.contentEnd, EscapeXml(converted));
        }
    }

    void giveScriptFont(const Run& run) {
        std::vector<FontAttribute> attributes;
        for (const std::string_view name : {"ascii", "hAnsi", "cs", "eastAsia"}) {
            attributes.emplace_back(name, settings_.scriptFont);
        }
        writeFonts(run, attributes);
    }

    // The run's own fonts with the Script font taken away, wherever it came from.
    void takeScriptFont(const Run& run) {
        writeFonts(run, fonts_->withoutScript({run.direct.get(), run.style, run.paragraphStyle}));
    }

    // Puts w:rFonts with `attributes` in place of the run's own, or takes its own away.
    void writeFonts(const Run& run, const std::vector<FontAttribute>& attributes) {
        for (const Fonts& old : run.fonts) {
            edits_.replace(old.begin, old.end, "");
        }
        if (attributes.empty()) {
            return;
        }
        const Prefixes& at = run.properties ? run.properties->prefixes : run.prefixes;
        const std::string element = at.element.empty() ? "" : at.element + ":";
        // Where only the default namespace is WordprocessingML, the attributes need a prefix of
        // their own; declared on the element itself, it can name nothing else there.
        const std::string attribute = at.attribute.value_or("w") + ":";
        std::string fonts = "<" + element + "rFonts";
        if (!at.attribute) {
            fonts += " xmlns:w=\"" + std::string(at.uri) + "\"";
        }
        for (const auto& [name, value] : attributes) {
            fonts += " " + attribute + std::string(name) + "=\"" + EscapeXml(value, true) + "\"";
        }
        fonts += "/>";
        if (!run.properties) {
            edits_.insert(run.contentBegin,
                          "<" + element + "rPr>" + fonts + "</" + element + "rPr>");
        } else if (run.properties->empty) {
            const std::size_t end = run.properties->tagEnd;
            edits_.replace(end - 2, end, ">" + fonts + "</" + run.properties->name + ">");
        } else {
            edits_.insert(run.afterStyle.value_or(run.properties->tagEnd), fonts);
        }
    }

    std::string_view xml_;
    const DocumentSettings& settings_;
    const DocxFonts* fonts_;
    std::vector<Role> roles_;
    std::vector<Paragraph> paragraphs_; // innermost last: text boxes nest paragraphs
    std::vector<Run> runs_;             // every run of the part, in order
    std::vector<std::size_t> openRuns_;
    ByteEdits edits_;
};

} // namespace

std::string ConvertDocx(std::string_view docx, const DocumentSettings& settings) {
    ZipDocument document(docx);
    std::optional<DocxFonts> fonts;
    if (settings.byFont || ReadsScript(settings)) {
        fonts.emplace(document, settings);
    }
    std::vector<std::string> parts{kMainXml};
    for (std::string& part : document.parts()) {
        if (part != kMainXml && IsConverted(part)) {
            parts.push_back(std::move(part));
        }
    }
    document.expectToRead(parts);
    for (const std::string& part : parts) {
        const XmlPartText xml(document.read(part), part);
        XmlConverter converter(xml.utf8(), settings, fonts ? &*fonts : nullptr);
        ReadXml(xml.utf8(), part, [&](const XmlEvent& event) { converter.handle(event); });
        const ByteEdits edits = converter.finish();
        if (!edits.empty()) {
            document.replace(part, xml.encode(edits.apply(xml.utf8())));
        }
    }
    if (document.has(kDocxProperties)) {
        const XmlPartText xml(document.read(kDocxProperties), kDocxProperties);
        if (auto converted = ConvertDocumentProperties(xml.utf8(), kDocxProperties, settings)) {
            document.replace(kDocxProperties, xml.encode(std::move(*converted)));
        }
    }
    return document.save();
}

} // namespace orvani::documents
