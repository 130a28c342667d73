#include <orvani/document_format.h>
#include <orvani/internal/ascii.h>

#include <algorithm>
#include <array>
#include <utility>

namespace orvani {
namespace {

using internal::EqualsIgnoringAsciiCase;

bool EndsWithIgnoringCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           EqualsIgnoringAsciiCase(text.substr(text.size() - end.size()), end);
}

constexpr std::array<std::pair<std::string_view, DocumentFormat>, 6> kNames{{
    {"text", DocumentFormat::Text},
    {"html", DocumentFormat::Html},
    {"docx", DocumentFormat::Docx},
    {"odt", DocumentFormat::Odt},
    {"rtf", DocumentFormat::Rtf},
    {"doc", DocumentFormat::Doc},
}};

// The compound file that Word 97-2003 (and Excel, PowerPoint ...) documents are.
constexpr std::string_view kOle2Signature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

// Kinds of file told by how they begin, and never text.
constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kUnconverted{{
    {"%PDF-", "a PDF document"},
    {"\x89PNG\r\n\x1A\n", "a PNG image"},
    {"\xFF\xD8\xFF", "a JPEG image"},
    {"GIF87a", "a GIF image"},
    {"GIF89a", "a GIF image"},
    {{"II*\0", 4}, "a TIFF image"},
    {{"MM\0*", 4}, "a TIFF image"},
    {"PK\x03\x04", "a zip archive"},
    {"\x1F\x8B", "a gzip archive"},
}};

// An ODT's first entry is "mimetype", stored, naming its kind; a DOCX names its parts early.
std::optional<DocumentFormat> ZipDocumentFormat(std::string_view firstBytes) {
    if (!firstBytes.starts_with("PK\x03\x04")) {
        return std::nullopt;
    }
    if (firstBytes.find("application/vnd.oasis.opendocument.text") != std::string_view::npos) {
        return DocumentFormat::Odt;
    }
    if (firstBytes.find("word/") != std::string_view::npos ||
        (firstBytes.find("[Content_Types].xml") != std::string_view::npos &&
         firstBytes.find("xl/") == std::string_view::npos &&
         firstBytes.find("ppt/") == std::string_view::npos)) {
        return DocumentFormat::Docx;
    }
    return std::nullopt;
}

} // namespace

std::string_view DocumentFormatName(DocumentFormat format) noexcept {
    switch (format) {
    case DocumentFormat::Html:
        return "HTML";
    case DocumentFormat::Docx:
        return "DOCX";
    case DocumentFormat::Odt:
        return "ODT";
    case DocumentFormat::Rtf:
        return "RTF";
    case DocumentFormat::Doc:
        return "DOC";
    case DocumentFormat::Text:
        break;
    }
    return "text";
}

std::optional<DocumentFormat> DocumentFormatFromName(std::string_view name) noexcept {
    for (const auto& [known, format] : kNames) {
        if (EqualsIgnoringAsciiCase(name, known)) {
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
    if (EndsWithIgnoringCase(fileName, ".odt") || EndsWithIgnoringCase(fileName, ".fodt")) {
        return DocumentFormat::Odt;
    }
    if (EndsWithIgnoringCase(fileName, ".rtf")) {
        return DocumentFormat::Rtf;
    }
    if (EndsWithIgnoringCase(fileName, ".txt")) {
        return DocumentFormat::Text;
    }
    if (EndsWithIgnoringCase(fileName, ".doc")) {
        return DocumentFormat::Doc;
    }
    if (const auto zipped = ZipDocumentFormat(firstBytes)) {
        return *zipped;
    }
    if (firstBytes.starts_with(kOle2Signature)) {
        return DocumentFormat::Doc;
    }
    if (firstBytes.starts_with("{\\rtf")) {
        return DocumentFormat::Rtf;
    }
    std::string_view start = firstBytes.substr(0, 512);
    if (start.starts_with("\xEF\xBB\xBF")) {
        start.remove_prefix(3);
    }
    start.remove_prefix(std::min(start.find_first_not_of(" \t\r\n"), start.size()));
    // A flat OpenDocument text names its kind on its root, after the namespaces it declares.
    if (start.starts_with("<?xml") &&
        firstBytes.find("<office:document ") != std::string_view::npos &&
        firstBytes.find("\"application/vnd.oasis.opendocument.text\"") != std::string_view::npos) {
        return DocumentFormat::Odt;
    }
    for (const std::string_view html : {"<!doctype html", "<html"}) {
        if (start.size() >= html.size() &&
            EqualsIgnoringAsciiCase(start.substr(0, html.size()), html)) {
            return DocumentFormat::Html;
        }
    }
    return DocumentFormat::Text;
}

std::optional<std::string_view> UnconvertedKind(std::string_view firstBytes) noexcept {
    if (ZipDocumentFormat(firstBytes)) {
        return std::nullopt;
    }
    for (const auto& [start, kind] : kUnconverted) {
        if (firstBytes.starts_with(start)) {
            return kind;
        }
    }
    return std::nullopt;
}

} // namespace orvani
