#include "docx_fonts.h"

#include "font_choice.h"
#include "word_names.h"
#include "xml_encoding.h"

#include <algorithm>

namespace orvani::documents {
namespace {

const std::string kStylesXml = "word/styles.xml";
const std::string kThemeXml = "word/theme/theme1.xml";
constexpr std::string_view kDrawing = "http://schemas.openxmlformats.org/drawingml/2006/main";

// Where the last resort is needed: the font Word itself falls back on.
constexpr std::string_view kLastResort = "Times New Roman";

const std::string* WordAttribute(const XmlEvent& event, std::string_view local) {
    for (const auto& [name, value] : *event.attributes) {
        if (Word(event.namespaces->attribute(name)) == local) {
            return &value;
        }
    }
    return nullptr;
}

bool IsOn(const std::string* value) {
    return value != nullptr && (*value == "1" || *value == "true" || *value == "on");
}

// The theme's key for a theme font's name: "minorHAnsi" is the minor Latin font.
std::string ThemeKey(std::string_view theme) {
    const bool major = theme.starts_with("major");
    const std::string_view kind = theme.substr(5);
    const std::string_view script = kind == "EastAsia" ? "Ea" : kind == "Bidi" ? "Cs" : "Latin";
    return std::string(major ? "major" : "minor") + std::string(script);
}

// The theme font that stands in for each slot where nothing else is left.
constexpr std::array<std::string_view, RunFonts::kSlots> kMinorThemes{"minorHAnsi", "minorHAnsi",
                                                                      "minorEastAsia", "minorBidi"};

} // namespace

RunFonts RunFonts::Read(const XmlEvent& event) {
    RunFonts fonts;
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
        if (const std::string* name = WordAttribute(event, kNames[slot])) {
            fonts.names[slot] = *name;
        }
        if (const std::string* theme = WordAttribute(event, kThemes[slot])) {
            fonts.themes[slot] = *theme;
        }
    }
    if (const std::string* hint = WordAttribute(event, "hint")) {
        fonts.hint = *hint;
    }
    return fonts;
}

DocxFonts::DocxFonts(const ZipDocument& document, const DocumentSettings& settings)
    : settings_(settings) {
    if (document.has(kStylesXml)) {
        readStyles(XmlPartText(document.read(kStylesXml), kStylesXml).utf8());
    }
    if (document.has(kThemeXml)) {
        readTheme(XmlPartText(document.read(kThemeXml), kThemeXml).utf8());
    }
}

void DocxFonts::readStyles(const std::string& xml) {
    std::vector<std::string_view> open; // the Word elements' local names, outermost first
    Style* style = nullptr;
    ReadXml(xml, kStylesXml, [&](const XmlEvent& event) {
        if (event.kind == XmlEvent::Kind::End) {
            if (!open.empty()) {
                open.pop_back();
            }
            return;
        }
        if (event.kind != XmlEvent::Kind::Start) {
            return;
        }
        const std::string_view name = Word(event.element);
        const std::string_view parent = open.empty() ? "" : open.back();
        const std::string_view grandparent = open.size() < 2 ? "" : open[open.size() - 2];
        if (name == "style" && parent == "styles") {
            const std::string* id = WordAttribute(event, "styleId");
            style = id == nullptr ? nullptr : &styles_[*id];
            const std::string* type = WordAttribute(event, "type");
            if (id != nullptr && type != nullptr && *type == "paragraph" &&
                IsOn(WordAttribute(event, "default"))) {
                defaultParagraph_ = *id;
            }
        } else if (name == "basedOn" && parent == "style" && style != nullptr) {
            if (const std::string* id = WordAttribute(event, "val")) {
                style->basedOn = *id;
            }
        } else if (name == "rFonts" && parent == "rPr" && grandparent == "style" &&
                   style != nullptr) {
            style->fonts = RunFonts::Read(event);
        } else if (name == "rFonts" && parent == "rPr" && grandparent == "rPrDefault") {
            defaults_ = RunFonts::Read(event);
        }
        // An element outside WordprocessingML is kept by its empty name: nothing inside it
        // is a style's.
        open.push_back(name);
    });
}

void DocxFonts::readTheme(const std::string& xml) {
    std::string scheme; // "major" or "minor" inside a:majorFont or a:minorFont
    ReadXml(xml, kThemeXml, [&](const XmlEvent& event) {
        if (event.element.uri != kDrawing) {
            return;
        }
        const std::string_view name = event.element.local;
        if (event.kind == XmlEvent::Kind::End) {
            if (name == "majorFont" || name == "minorFont") {
                scheme.clear();
            }
            return;
        }
        if (name == "majorFont" || name == "minorFont") {
            scheme = std::string(name.substr(0, 5));
            return;
        }
        if (scheme.empty() || (name != "latin" && name != "ea" && name != "cs")) {
            return;
        }
        for (const auto& [attribute, value] : *event.attributes) {
            if (attribute == "typeface") {
                const std::string script = name == "latin" ? "Latin" : name == "ea" ? "Ea" : "Cs";
                themeFonts_.emplace(scheme + script, value);
            }
        }
    });
}

void DocxFonts::addChain(std::string_view id, std::vector<const RunFonts*>& levels) const {
    // A chain that comes round again is cut where it does.
    for (std::size_t steps = 0; !id.empty() && steps <= styles_.size(); ++steps) {
        const auto found = styles_.find(id);
        if (found == styles_.end()) {
            return;
        }
        if (found->second.fonts) {
            levels.push_back(&*found->second.fonts);
        }
        id = found->second.basedOn;
    }
}

std::vector<const RunFonts*> DocxFonts::levels(const RunStyles& run) const {
    std::vector<const RunFonts*> levels;
    if (run.direct != nullptr) {
        levels.push_back(run.direct);
    }
    addChain(run.character, levels);
    addChain(run.paragraph.empty() ? std::string_view(defaultParagraph_) : run.paragraph, levels);
    if (defaults_) {
        levels.push_back(&*defaults_);
    }
    return levels;
}

std::optional<DocxFonts::Value> DocxFonts::valueAt(const RunFonts& fonts, std::size_t slot) {
    if (fonts.themes[slot]) {
        return Value{true, &*fonts.themes[slot]};
    }
    if (fonts.names[slot]) {
        return Value{false, &*fonts.names[slot]};
    }
    return std::nullopt;
}

std::string DocxFonts::family(const Value& value) const {
    if (!value.theme) {
        return *value.value;
    }
    const auto found = themeFonts_.find(ThemeKey(*value.value));
    return found == themeFonts_.end() ? std::string() : found->second;
}

bool DocxFonts::isScript(const Value& value) const {
    return IsScriptFont(family(value), settings_);
}

bool DocxFonts::inScript(const RunStyles& run) const {
    for (const RunFonts* level : levels(run)) {
        if (const auto value = valueAt(*level, 0)) {
            return isScript(*value);
        }
    }
    return false;
}

std::vector<FontAttribute> DocxFonts::withoutScript(const RunStyles& run) const {
    const std::vector<const RunFonts*> all = levels(run);
    std::vector<FontAttribute> attributes;
    const auto write = [&](const Value& value, std::size_t slot) {
        attributes.emplace_back(value.theme ? RunFonts::kThemes[slot] : RunFonts::kNames[slot],
                                *value.value);
    };
    for (std::size_t slot = 0; slot < RunFonts::kSlots; ++slot) {
        auto level = all.begin();
        std::optional<Value> value;
        for (; level != all.end() && !(value = valueAt(**level, slot)); ++level) {
        }
        if (!value) {
            continue;
        }
        if (!isScript(*value)) {
            if (run.direct != nullptr && *level == run.direct) {
                write(*value, slot);
            }
            continue;
        }
        // Where the run's own formatting gave it, taking that away may be enough; else the
        // next font down that is not the Script font, the theme's body font, or Word's own.
        const bool own = run.direct != nullptr && *level == run.direct;
        bool first = true;
        std::optional<Value> below;
        for (++level; level != all.end() && !below; ++level) {
            below = valueAt(**level, slot);
            if (below && isScript(*below)) {
                below.reset();
                first = false;
            }
        }
        if (own && first) {
            continue;
        }
        if (below) {
            write(*below, slot);
            continue;
        }
        const std::string minor(kMinorThemes[slot]);
        if (const Value theme{true, &minor}; !family(theme).empty() && !isScript(theme)) {
            write(theme, slot);
        } else {
            attributes.emplace_back(RunFonts::kNames[slot], kLastResort);
        }
    }
    if (run.direct != nullptr && run.direct->hint && !attributes.empty()) {
        attributes.emplace_back("hint", *run.direct->hint);
    }
    return attributes;
}

} // namespace orvani::documents
