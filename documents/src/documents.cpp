#include "formats.h"

#include <orvani/internal/utf8.h>
#include <orvani/normalization.h>
#include <orvani/pipeline.h>

namespace orvani {
namespace {

std::string ConvertPlainText(std::string_view text, const DocumentSettings& settings) {
    // Checked before NFC, which may move the bytes after a change.
    if (const std::size_t bad = internal::FindInvalidUtf8(text); bad != std::string_view::npos) {
        throw DocumentError("", "invalid UTF-8 at byte " + std::to_string(bad));
    }
    const std::string normal = settings.normalize ? ToNfc(text) : std::string(text);
    return ConvertUtf8(normal, settings.from, settings.to, settings.options).text;
}

} // namespace

std::string ConvertDocument(std::string_view document, DocumentFormat format,
                            const DocumentSettings& settings) {
    switch (format) {
    case DocumentFormat::Html:
        return documents::ConvertHtml(document, settings);
    case DocumentFormat::Docx:
        return documents::ConvertDocx(document, settings);
    case DocumentFormat::Odt:
        return documents::ConvertOdt(document, settings);
    case DocumentFormat::Rtf:
        return documents::ConvertRtf(document, settings);
    case DocumentFormat::Doc:
        throw DocumentError("", "a DOC document is read through LibreOffice, as orvaniconv-cli "
                                "does; convert it to DOCX first");
    case DocumentFormat::Text:
        break;
    }
    return ConvertPlainText(document, settings);
}

void ConvertDocument(std::string_view document, DocumentFormat format,
                     const DocumentSettings& settings,
                     const std::function<void(std::string_view)>& write) {
    if (format == DocumentFormat::Html) {
        documents::ConvertHtml(document, settings, write);
        return;
    }
    write(ConvertDocument(document, format, settings));
}

} // namespace orvani
