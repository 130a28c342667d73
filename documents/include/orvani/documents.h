#pragma once

#include <orvani/document_format.h>
#include <orvani/standard.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvani {

// Documents converted with their formatting kept: only the text a reader sees is converted,
// and every other byte stays as it was.

struct DocumentSettings {
    Standard from = Standard::Old;
    Standard to = Standard::New;
    ConversionOptions options;
    bool normalize = true; // bring the text to NFC before it is read
    // The display font that Orvani Script text is given, and taken from when it is read.
    std::string scriptFont = "Orvani Script";
    // Convert only the text that the source standard owns, told by the font that the document
    // resolves for it: from Script, the text in the Script font; from Old or New, the rest.
    // Other text stays byte for byte.
    bool byFont = true;
    // The encoding of an HTML page, over what the page declares (a byte-order mark wins);
    // empty: what the page declares, or else UTF-8. A page is written back in its encoding.
    std::string htmlEncoding;
    // Given each piece of text as it is converted (after NFC), to take stock of it.
    std::function<void(std::string_view)> observeText;
};

// A document that cannot be converted: corrupt, malformed, too large or unsafe. `part` names
// the part of the document (such as "word/document.xml"), or is empty for the whole.
class DocumentError : public std::runtime_error {
public:
    DocumentError(std::string part, const std::string& reason)
        : std::runtime_error(part.empty() ? reason : part + ": " + reason), part_(std::move(part)) {
    }
    [[nodiscard]] const std::string& part() const noexcept { return part_; }

private:
    std::string part_;
};

// `document` in `format`, converted as `settings` say. Throws DocumentError, and nothing
// else: a document too large for the memory there is is one too.
//
//     ConvertDocument(html, DocumentFormat::Html, {.from = Standard::Old, .to = Standard::New})
[[nodiscard]] std::string ConvertDocument(std::string_view document, DocumentFormat format,
                                          const DocumentSettings& settings);

// The same, given to `write` piece by piece: an HTML page as it is converted, so that its
// result is never held whole; other formats at once, at the end. Throws DocumentError, before
// the first piece; what `write` throws goes through.
void ConvertDocument(std::string_view document, DocumentFormat format,
                     const DocumentSettings& settings,
                     const std::function<void(std::string_view)>& write);

} // namespace orvani
