#include <orvani/standard.h>

namespace orvani {

std::string_view DisplayName(Standard standard) noexcept {
    switch (standard) {
    case Standard::Old:
        return "Old";
    case Standard::New:
        return "New";
    case Standard::Script:
        return "Orvani Script";
    }
    return {};
}

std::optional<Standard> StandardFromName(std::string_view name) noexcept {
    for (const Standard standard : kStandards) {
        if (name == DisplayName(standard)) {
            return standard;
        }
    }
    return std::nullopt;
}

DocumentType DocumentTypeFromName(std::string_view name) noexcept {
    return name == "HTML" ? DocumentType::HTML : DocumentType::Plain;
}

} // namespace orvani
