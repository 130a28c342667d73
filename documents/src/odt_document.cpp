#include "formats.h"

namespace orvani::documents {

std::string ConvertOdt(std::string_view, const DocumentSettings&) {
    throw DocumentError("", "odt documents are not supported yet");
}

} // namespace orvani::documents
