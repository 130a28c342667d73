#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace orvani {

// The three transcription standards of the Orvani language.
enum class Standard {
    Old,    // ASCII digraphs: "sh", "kh", "ee", "oo" ...
    New,    // one Latin-1 letter per sound; the pivot of every conversion
    Script, // the letter codes of the Orvani Script display font
};

inline constexpr std::array<Standard, 3> kStandards{Standard::Old, Standard::New, Standard::Script};

// The document type that the single readers and writers (ConvA, OutA, ConvS, OutS) take: with
// HTML each returns the empty text.
enum class DocumentType { Plain, HTML };

// The two options of the Old standard; the defaults are the window's start state.
struct ConversionOptions {
    bool a = true;     // a single "a" is read as "æ"
    bool ohUh = false; // "oh" and "uh" are read as "o" and "u", and written back so
    // Between Old and New, capitals stay capitals ("Kheetsoy" to "Xícó", "SHOO" to "ŠÚ")
    // rather than all text coming out in lower case. The script spells letters with its case,
    // so where it is on either side this has no effect.
    bool keepCase = false;
};

// "Old", "New" or "Orvani Script".
[[nodiscard]] std::string_view DisplayName(Standard standard) noexcept;

// The standard whose display name equals `name` exactly (case-sensitively), if any.
[[nodiscard]] std::optional<Standard> StandardFromName(std::string_view name) noexcept;

// "old", "new" or "script": the name for command lines and files.
[[nodiscard]] std::string_view ShortName(Standard standard) noexcept;

// The standard whose display or short name equals `name` in any ASCII case, if any:
// "Old", "new", "SCRIPT" and "orvani script" all name a standard.
[[nodiscard]] std::optional<Standard> ParseStandard(std::string_view name) noexcept;

} // namespace orvani
