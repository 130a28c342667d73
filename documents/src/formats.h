#pragma once

#include <orvani/documents.h>

#include <string>
#include <string_view>

namespace orvani::documents {

// Each format's conversion; each throws DocumentError.
[[nodiscard]] std::string ConvertHtml(std::string_view html, const DocumentSettings& settings);
[[nodiscard]] std::string ConvertDocx(std::string_view docx, const DocumentSettings& settings);
[[nodiscard]] std::string ConvertOdt(std::string_view odt, const DocumentSettings& settings);
[[nodiscard]] std::string ConvertRtf(std::string_view rtf, const DocumentSettings& settings);

} // namespace orvani::documents
