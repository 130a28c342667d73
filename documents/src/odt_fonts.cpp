#include "odt_fonts.h"

#include "font_choice.h"
#include "xml_encoding.h"

namespace orvani::documents {
namespace {

constexpr std::string_view kOffice = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view kStyle = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
constexpr std::string_view kFo = "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0";
constexpr std::string_view kSvg = "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0";

const std::string* AttributeIn(const XmlEvent& event, std::string_view uri,
                               std::string_view local) {
    return event.attribute({uri, local});
}

} // namespace

OdtFonts::OdtFonts(const ZipDocument& document, const DocumentSettings& settings)
    : settings_(settings) {
    // The styles first: content.xml's automatic styles name their faces and parents.
    for (const auto& [part, automatic] :
         {std::pair<std::string, Styles*>{"styles.xml", &stylesAutomatic_},
          std::pair<std::string, Styles*>{"content.xml", &contentAutomatic_}}) {
        if (document.has(part)) {
            read(XmlPartText(document.read(part), part).utf8(), part, *automatic);
        }
    }
}

OdtFonts::OdtFonts(std::string_view flat, const DocumentSettings& settings) : settings_(settings) {
    read(flat, "", contentAutomatic_);
}

void OdtFonts::read(std::string_view xml, const std::string& part, Styles& automatic) {
    std::size_t depth = 0;
    std::string_view section; // the office element at depth 1 that the reader is in
    Style* style = nullptr;
    ReadXml(xml, part, [&](const XmlEvent& event) {
        if (event.kind == XmlEvent::Kind::End) {
            --depth;
            if (depth == 1) {
                section = {};
            }
            if (depth == 2) {
                style = nullptr;
            }
            return;
        }
        if (event.kind != XmlEvent::Kind::Start) {
            return;
        }
        ++depth;
        const XmlName& name = event.element;
        if (depth == 2) {
            section = name.uri == kOffice ? name.local : std::string_view();
        }
        if (depth == 3 && name.uri == kStyle) {
            const std::string* styleName = AttributeIn(event, kStyle, "name");
            const std::string* family = AttributeIn(event, kStyle, "family");
            if (section == "font-face-decls" && name.local == "font-face" && styleName) {
                const std::string* families = AttributeIn(event, kSvg, "font-family");
                faces_[*styleName] = families ? FirstFamily(*families) : *styleName;
            } else if (name.local == "default-style" && family && section == "styles") {
                style = &defaults_[*family];
            } else if (name.local == "style" && styleName && family &&
                       (section == "styles" || section == "automatic-styles")) {
                style = &(section == "styles" ? named_ : automatic)[{*family, *styleName}];
                if (const std::string* parent = AttributeIn(event, kStyle, "parent-style-name")) {
                    style->parent = *parent;
                }
            }
        } else if (depth == 4 && style && name == XmlName{kStyle, "text-properties"}) {
            if (const std::string* face = AttributeIn(event, kStyle, "font-name")) {
                const auto found = faces_.find(*face);
                style->font = found == faces_.end() ? *face : found->second;
            } else if (const std::string* families = AttributeIn(event, kFo, "font-family")) {
                style->font = FirstFamily(*families);
            }
        }
    });
}

std::optional<std::string> OdtFonts::fontOf(const Styles& automatic, const std::string& family,
                                            std::string_view name) const {
    // Automatic styles inherit from named ones only; a chain that comes round again is cut.
    const Styles* in = &automatic;
    for (std::size_t steps = 0; !name.empty() && steps <= named_.size() + 1; ++steps) {
        const Key key{family, std::string(name)};
        const Style* style = nullptr;
        for (const Styles* styles : {in, &named_}) {
            if (const auto found = styles->find(key); style == nullptr && found != styles->end()) {
                style = &found->second;
            }
        }
        if (style == nullptr) {
            return std::nullopt;
        }
        if (style->font) {
            return style->font;
        }
        name = style->parent;
        in = &named_;
    }
    return std::nullopt;
}

bool OdtFonts::inScript(Part part, const std::vector<std::string>& spans,
                        std::string_view paragraph) const {
    const Styles& automatic = part == Part::Content ? contentAutomatic_ : stylesAutomatic_;
    std::optional<std::string> font;
    for (auto span = spans.rbegin(); span != spans.rend() && !font; ++span) {
        font = fontOf(automatic, "text", *span);
    }
    if (!font) {
        font = fontOf(automatic, "paragraph", paragraph);
    }
    if (const auto found = defaults_.find("paragraph"); !font && found != defaults_.end()) {
        font = found->second.font;
    }
    return font && IsScriptFont(*font, settings_);
}

bool OdtFonts::namesScript(std::string_view local, std::string_view value) const {
    if (local.starts_with("font-family")) {
        return IsScriptFont(FirstFamily(value), settings_);
    }
    const auto found = faces_.find(value);
    return IsScriptFont(found == faces_.end() ? value : std::string_view(found->second), settings_);
}

} // namespace orvani::documents
