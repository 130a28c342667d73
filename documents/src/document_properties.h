#pragma once

#include <orvani/documents.h>

#include <optional>
#include <string>
#include <string_view>

namespace orvani::documents {

// The part that holds a Word document's title, subject and keywords.
inline const std::string kDocxProperties = "docProps/core.xml";
// The part that holds an OpenDocument text's.
inline const std::string kOdtProperties = "meta.xml";

// `xml` with the document's title, subject and keywords converted, each on its own as text in
// no font: DOCX's dc:title, dc:subject and cp:keywords in cp:coreProperties, ODT's dc:title,
// dc:subject and meta:keyword in office:meta. Nothing where not a byte would change. Throws
// DocumentError naming `part` where the XML is malformed.
[[nodiscard]] std::optional<std::string>
ConvertDocumentProperties(std::string_view xml, const std::string& part,
                          const DocumentSettings& settings);

} // namespace orvani::documents
