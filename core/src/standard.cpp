#include <orvani/standard.h>

#include <algorithm>

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

namespace {

// Locale-free: names are ASCII, and std::tolower would follow the program's locale.
constexpr char AsciiLower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
    return std::ranges::equal(a, b, {}, AsciiLower, AsciiLower);
}

} // namespace

std::optional<Standard> ParseStandard(std::string_view name) noexcept {
    for (const Standard standard : kStandards) {
        if (EqualsIgnoringAsciiCase(name, ShortName(standard)) ||
            EqualsIgnoringAsciiCase(name, DisplayName(standard))) {
            return standard;
        }
    }
    return std::nullopt;
}

DocumentType DocumentTypeFromName(std::string_view name) noexcept {
    return name == "HTML" ? DocumentType::HTML : DocumentType::Plain;
}

} // namespace orvani
