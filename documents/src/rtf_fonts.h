#pragma once

#include "rtf_code_pages.h"
#include "rtf_tokenizer.h"

#include <orvani/documents.h>

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace orvani::documents {

// An RTF document's fonts (\fonttbl) and the fonts its styles set (\stylesheet), so that each
// piece of text can be told its font and code page.
class RtfFonts {
public:
    struct Font {
        std::string name;
        std::optional<int> charset;  // \fcharsetN
        std::optional<int> codePage; // \cpgN
    };

    // Reads the font table's entries from just after \fonttbl through its closing brace;
    // returns where that brace is.
    std::size_t readFontTable(RtfTokenizer& tokenizer, RtfCodePages& pages, int codePage);
    // Reads the style sheet's entries from just after \stylesheet through its closing brace.
    void readStyleSheet(RtfTokenizer& tokenizer);

    [[nodiscard]] const Font* font(int number) const;
    // The font that paragraph style \sN (`paragraph`) or character style \csN sets, through
    // the styles it is based on; -1 where none does.
    [[nodiscard]] int styleFont(bool paragraph, int style) const;
    [[nodiscard]] bool isScript(int number, const DocumentSettings& settings) const;
    // A symbol font (\fcharset2) other than the Script font: its bytes are pictures, not text.
    [[nodiscard]] bool isSymbol(int number, const DocumentSettings& settings) const;
    // The code page that text in font `number` is written in.
    [[nodiscard]] int codePage(int number, int documentCodePage) const;
    // The font named `name`, or -1.
    [[nodiscard]] int find(std::string_view name) const;
    // The first font that is neither the Script font nor a symbol font, or -1.
    [[nodiscard]] int firstPlain(const DocumentSettings& settings) const;
    // Enters a new font, numbered above every font and above `above`, and returns its number.
    int add(std::string name, int above);

private:
    struct Style {
        int font = -1;
        int basedOn = -1;
    };

    std::map<int, Font> fonts_;
    std::map<std::pair<bool, int>, Style> styles_;
};

// Passes over the rest of a group whose start has been read, through its closing brace;
// returns the first control word in it (empty where there is none).
std::string_view SkipRtfGroup(RtfTokenizer& tokenizer);

} // namespace orvani::documents
