#include "formats.h"

namespace orvani::documents {

std::string ConvertDocx(std::string_view, const DocumentSettings&) {
    throw DocumentError("", "docx documents are not supported yet");
}

} // namespace orvani::documents
