#pragma once

#include <orvani/documents.h>

#include <functional>
#include <string>
#include <string_view>

namespace orvani::documents {

// Each format's conversion; each throws DocumentError.
[[nodiscard]] std::string ConvertHtml(std::string_view html, const DocumentSettings& settings);
// The page given to `write` in pieces as it is converted.
void ConvertHtml(std::string_view html, const DocumentSettings& settings,
                 const std::function<void(std::string_view)>& write);
[[nodiscard]] std::string ConvertDocx(std::string_view docx, const DocumentSettings& settings);
[[nodiscard]] std::string ConvertOdt(std::string_view odt, const DocumentSettings& settings);
[[nodiscard]] std::string ConvertRtf(std::string_view rtf, const DocumentSettings& settings);

} // namespace orvani::documents
