#pragma once

#include <optional>
#include <string_view>

namespace orvani {

// The kinds of file that the documents layer converts with their formatting kept.
enum class DocumentFormat {
    Text, // plain UTF-8 text
    Html,
    Docx, // Word (Office Open XML)
    Odt,  // OpenDocument Text, packed (.odt) or flat (.fodt)
    Rtf,  // Rich Text Format
    Doc,  // Word 97-2003, or another format that LibreOffice reads, converted through it
};

// "text", "html", "docx", "odt", "rtf" or "doc", in any case.
[[nodiscard]] std::optional<DocumentFormat> DocumentFormatFromName(std::string_view name) noexcept;

// "text", "HTML", "DOCX", "ODT", "RTF" or "DOC", for messages.
[[nodiscard]] std::string_view DocumentFormatName(DocumentFormat format) noexcept;

// The format of a file from its name's extension, or else from its first bytes; Text when
// neither tells.
[[nodiscard]] DocumentFormat DetectDocumentFormat(std::string_view fileName,
                                                  std::string_view firstBytes) noexcept;

// What a file is, told by its first bytes, where it is a kind that is neither text nor a
// document converted here ("a PDF document", "a PNG image", "a zip archive"); nullopt for
// text and the documents that are.
[[nodiscard]] std::optional<std::string_view> UnconvertedKind(std::string_view firstBytes) noexcept;

} // namespace orvani
