#include "xml_encoding.h"

#include "text_encoding.h"

#include <orvani/documents.h>

#include <utility>

namespace orvani::documents {

std::string_view DeclaredEncoding(std::string_view xml) {
    if (!xml.starts_with("<?xml")) {
        return {};
    }
    const std::string_view declaration = xml.substr(0, xml.find("?>"));
    const std::size_t at = declaration.find("encoding");
    const std::size_t open = declaration.find_first_of("\"'", at);
    if (at == std::string_view::npos || open == std::string_view::npos) {
        return {};
    }
    const std::size_t close = declaration.find(declaration[open], open + 1);
    if (close == std::string_view::npos) {
        return {};
    }
    return declaration.substr(open + 1, close - open - 1);
}

XmlPartText::XmlPartText(std::string bytes, const std::string& part) : part_(part) {
    const std::string_view start(bytes.data(), std::min<std::size_t>(bytes.size(), 4));
    if (start.starts_with("\xFE\xFF") || start == std::string_view("\0<\0?", 4)) {
        encoding_ = "UTF-16BE";
    } else if (start.starts_with("\xFF\xFE") || start == std::string_view("<\0?\0", 4)) {
        encoding_ = "UTF-16LE";
    }
    if (!encoding_.empty()) {
        mark_ = bytes.substr(0, start[0] == '\xFE' || start[0] == '\xFF' ? 2 : 0);
    } else if (const std::string_view declared = DeclaredEncoding(bytes); !declared.empty()) {
        const std::string name(declared);
        if (!IsKnownEncoding(name)) {
            throw DocumentError(part, "declares the encoding " + name + ", which is not known");
        }
        // A part whose bytes are plainly not UTF-16 is read as they are, whatever it says.
        if (!IsUtf8Encoding(name) && !IsWideEncoding(name)) {
            encoding_ = name;
        }
    }
    text_ = encoding_.empty() ? std::move(bytes)
                              : DecodeText(std::string_view(bytes).substr(mark_.size()), encoding_,
                                           part, mark_.size());
}

std::string XmlPartText::encode(std::string text) const {
    return encoding_.empty() ? std::move(text) : mark_ + EncodeText(text, encoding_, part_);
}

} // namespace orvani::documents
