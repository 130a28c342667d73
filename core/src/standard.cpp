#include <orvani/internal/ascii.h>
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

std::string_view ShortName(Standard standard) noexcept {
    switch (standard) {
    case Standard::Old:
        return "old";
    case Standard::New:
        return "new";
    case Standard::Script:
        return "script";
    }
    return {};
}

std::optional<Standard> ParseStandard(std::string_view name) noexcept {
    for (const Standard standard : kStandards) {
        if (internal::EqualsIgnoringAsciiCase(name, ShortName(standard)) ||
            internal::EqualsIgnoringAsciiCase(name, DisplayName(standard))) {
            return standard;
        }
    }
    return std::nullopt;
}

} // namespace orvani
