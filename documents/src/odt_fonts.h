#pragma once

#include "xml_events.h"
#include "zip_document.h"

#include <orvani/documents.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvani::documents {

// The font of text in an OpenDocument text as its styles resolve it: the spans around it,
// innermost first, then its paragraph's style, each with its parents, then the default
// paragraph style. A style's font is its style:font-name (the family of the font face it
// names) or else its fo:font-family. List, table and conditional styles are not followed.
class OdtFonts {
public:
    enum class Part { Content, Styles }; // whose automatic styles apply

    // Reads the font faces and styles of content.xml and styles.xml.
    OdtFonts(const ZipDocument& document, const DocumentSettings& settings);
    // Reads them from a flat OpenDocument text, whose one part holds them all (as Content).
    OdtFonts(std::string_view flat, const DocumentSettings& settings);

    // Whether Latin text in `spans` (their style names, outermost first) in a paragraph of
    // style `paragraph` shows in the Script font.
    [[nodiscard]] bool inScript(Part part, const std::vector<std::string>& spans,
                                std::string_view paragraph) const;
    // Whether the value of a font attribute of text properties names the Script font: a face
    // (style:font-name and the like) or a family list (fo:font-family and the like).
    [[nodiscard]] bool namesScript(std::string_view local, std::string_view value) const;

private:
    struct Style {
        std::string parent;
        std::optional<std::string> font; // the family
    };
    using Key = std::pair<std::string, std::string>; // family, name
    using Styles = std::map<Key, Style>;

    void read(std::string_view xml, const std::string& part, Styles& automatic);
    [[nodiscard]] std::optional<std::string>
    fontOf(const Styles& automatic, const std::string& family, std::string_view name) const;

    const DocumentSettings& settings_;
    std::map<std::string, std::string, std::less<>> faces_; // name to family
    Styles named_;
    Styles contentAutomatic_;
    Styles stylesAutomatic_;
    std::map<std::string, Style> defaults_; // by family
};

} // namespace orvani::documents
