#pragma once

#include <string>
#include <string_view>

namespace orvani::cli {

// Documents that LibreOffice reads and we do not (Word 97-2003 and the like), converted by
// LibreOffice itself, headless, in a profile of its own that is removed afterwards, and
// stopped after kOfficeTimeLimitSeconds. Each throws FilterError about `name`, saying how to
// install LibreOffice where it is missing.
inline constexpr int kOfficeTimeLimitSeconds = 180;

// `document` as DOCX.
[[nodiscard]] std::string OfficeToDocx(std::string_view document, const std::string& name);
// The DOCX `docx` as a Word 97-2003 document.
[[nodiscard]] std::string DocxToDoc(std::string_view docx, const std::string& name);

} // namespace orvani::cli
