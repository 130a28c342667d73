#include "formats.h"

#include <orvani/internal/utf8.h>
#include <orvani/normalization.h>
#include <orvani/pipeline.h>

#include <new>
#include <stdexcept>

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

std::string ConvertFormat(std::string_view document, DocumentFormat format,
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

// Inside a handler: what was caught, as a document that cannot be converted, never as a
// fault of the caller's own.
[[noreturn]] void RethrowAsDocumentError() {
    try {
        throw;
    } catch (const DocumentError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw DocumentError("", "too large to convert in the memory there is");
    } catch (const std::length_error&) {
        throw DocumentError("", "too large to convert in the memory there is");
    } catch (const std::exception& error) {
        throw DocumentError("", std::string("cannot be converted: ") + error.what());
    }
}

} // namespace

std::string ConvertDocument(std::string_view document, DocumentFormat format,
                            const DocumentSettings& settings) {
    try {
        return ConvertFormat(document, format, settings);
    } catch (...) {
        RethrowAsDocumentError();
    }
}

void ConvertDocument(std::string_view document, DocumentFormat format,
                     const DocumentSettings& settings,
                     const std::function<void(std::string_view)>& write) {
    bool writing = false; // what `write` throws goes through as it is
    const auto give = [&](std::string_view piece) {
        writing = true;
        write(piece);
        writing = false;
    };
    try {
        if (format == DocumentFormat::Html) {
            documents::ConvertHtml(document, settings, give);
        } else {
            give(ConvertFormat(document, format, settings));
        }
    } catch (...) {
        if (writing) {
            throw;
        }
        RethrowAsDocumentError();
    }
}

} // namespace orvani
