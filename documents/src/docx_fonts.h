#pragma once

#include "xml_events.h"
#include "zip_document.h"

#include <orvani/documents.h>

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvani::documents {

// One w:rFonts element: the font of each kind of character, by its name or by the theme's.
struct RunFonts {
    static constexpr std::size_t kSlots = 4; // ASCII, other Latin, East Asian, complex script
    static constexpr std::array<std::string_view, kSlots> kNames{"ascii", "hAnsi", "eastAsia",
                                                                 "cs"};
    static constexpr std::array<std::string_view, kSlots> kThemes{"asciiTheme", "hAnsiTheme",
                                                                  "eastAsiaTheme", "cstheme"};
    std::array<std::optional<std::string>, kSlots> names;
    std::array<std::optional<std::string>, kSlots> themes; // win over the names beside them
    std::optional<std::string> hint;

    // The fonts of an rFonts element's start.
    [[nodiscard]] static RunFonts Read(const XmlEvent& event);
};

// What formats a run.
struct RunStyles {
    const RunFonts* direct = nullptr;
    std::string_view character; // w:rStyle, or empty
    std::string_view paragraph; // w:pStyle, or empty for the default paragraph style
};

// An attribute of w:rFonts to write: its local name and value.
using FontAttribute = std::pair<std::string_view, std::string>;

// The fonts of a Word document's runs as Word resolves them, slot by slot: direct formatting,
// the character style, the paragraph style (each with the styles it is based on), then the
// document defaults; a theme font is the one the theme names. Table styles and numbering are
// not followed.
class DocxFonts {
public:
    // Reads word/styles.xml and word/theme/theme1.xml where the document has them.
    DocxFonts(const ZipDocument& document, const DocumentSettings& settings);

    // Whether the run's ASCII letters, all that Script is written with, show in the Script font.
    [[nodiscard]] bool inScript(const RunStyles& run) const;
    // The run's own fonts once the Script font is taken away: where it came from a style, the
    // font the run would have without it, so that no style can give it back.
    [[nodiscard]] std::vector<FontAttribute> withoutScript(const RunStyles& run) const;

private:
    struct Style {
        std::string basedOn;
        std::optional<RunFonts> fonts;
    };
    struct Value {
        bool theme;
        const std::string* value;
    };

    void readStyles(const std::string& xml);
    void readTheme(const std::string& xml);
    [[nodiscard]] std::vector<const RunFonts*> levels(const RunStyles& run) const;
    void addChain(std::string_view id, std::vector<const RunFonts*>& levels) const;
    [[nodiscard]] static std::optional<Value> valueAt(const RunFonts& fonts, std::size_t slot);
    [[nodiscard]] std::string family(const Value& value) const;
    [[nodiscard]] bool isScript(const Value& value) const;

    const DocumentSettings& settings_;
    std::map<std::string, Style, std::less<>> styles_;
    std::string defaultParagraph_;
    std::optional<RunFonts> defaults_;
    std::map<std::string, std::string, std::less<>> themeFonts_; // "minorLatin", "majorEa" ...
};

} // namespace orvani::documents
