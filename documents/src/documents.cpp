#include "formats.h"

#include <orvani/normalization.h>
#include <orvani/pipeline.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace orvani {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           EqualsIgnoringCase(text.substr(text.size() - end.size()), end);
}

constexpr std::array<std::pair<std::string_view, DocumentFormat>, 4> kNames{{
    {"text", DocumentFormat::Text},
    {"html", DocumentFormat::Html},
    {"docx", DocumentFormat::Docx},
    {"odt", DocumentFormat::Odt},
}};

std::string ConvertPlainText(std::string_view text, const DocumentSettings& settings) {
    const std::string normal = settings.normalize ? ToNfc(text) : std::string(text);
    Utf8Conversion result = ConvertUtf8(normal, settings.from, settings.to, settings.options);
    if (result.invalidAt) {
        throw DocumentError("", "invalid UTF-8 at byte " + std::to_string(*result.invalidAt));
    }
    return std::move(result.text);
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
    case DocumentFormat::Text:
        break;
    }
    return ConvertPlainText(document, settings);
}

std::optional<DocumentFormat> DocumentFormatFromName(std::string_view name) noexcept {
    for (const auto& [known, format] : kNames) {
        if (EqualsIgnoringCase(name, known)) {
            return format;
        }
    }
    return std::nullopt;
}

DocumentFormat DetectDocumentFormat(std::string_view fileName,
                                    std::string_view firstBytes) noexcept {
    for (const std::string_view html : {".html", ".htm", ".xhtml"}) {
        if (EndsWithIgnoringCase(fileName, html)) {
            return DocumentFormat::Html;
        }
    }
    if (EndsWithIgnoringCase(fileName, ".docx")) {
        return DocumentFormat::Docx;
    }
    if (EndsWithIgnoringCase(fileName, ".odt")) {
        return DocumentFormat::Odt;
    }
    if (EndsWithIgnoringCase(fileName, ".txt")) {
        return DocumentFormat::Text;
    }
    // An ODT's first entry is "mimetype", stored, naming its kind.
    if (firstBytes.starts_with("PK\x03\x04")) {
        if (firstBytes.find("application/vnd.oasis.opendocument.text") != std::string_view::npos) {
            return DocumentFormat::Odt;
        }
        if (firstBytes.find("word/") != std::string_view::npos ||
            firstBytes.find("[Content_Types].xml") != std::string_view::npos) {
            return DocumentFormat::Docx;
        }
    }
    std::string_view start = firstBytes.substr(0, 512);
    if (start.starts_with("\xEF\xBB\xBF")) {
        start.remove_prefix(3);
    }
    start.remove_prefix(std::min(start.find_first_not_of(" \t\r\n"), start.size()));
    for (const std::string_view html : {"<!doctype html", "<html"}) {
        if (start.size() >= html.size() && EqualsIgnoringCase(start.substr(0, html.size()), html)) {
            return DocumentFormat::Html;
        }
    }
    return DocumentFormat::Text;
}

} // namespace orvani
