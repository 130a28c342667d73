#include "formats.h"

namespace orvani::documents {

std::string ConvertHtml(std::string_view, const DocumentSettings&) {
    throw DocumentError("", "html documents are not supported yet");
}

} // namespace orvani::documents
