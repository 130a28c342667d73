#include "report.h"

#include "command_line.h"

#include <orvani/internal/utf8.h>
#include <orvani/pipeline.h>
#include <unicode/uchar.h>

#include <cstdio>
#include <map>

namespace orvani::cli {
namespace {

char32_t Lower(char32_t c) {
    return static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
}

// Whether `c` comes out of `conversion` as it went in, or only lower-cased.
bool Passes(char32_t c, Standard from, Standard to, ConversionOptions options) {
    const std::u32string out = ConvertText(std::u32string(1, c), from, to, options);
    return out == std::u32string(1, c) || out == std::u32string(1, Lower(c));
}

// Whether a table of `standard` names `c`: its reader reads it as something else, or, for
// New, which has no reader, a writer writes it so.
bool Named(char32_t c, Standard standard, ConversionOptions options) {
    if (standard != Standard::New) {
        return !Passes(c, standard, Standard::New, options);
    }
    return !Passes(c, Standard::New, Standard::Old, options) ||
           !Passes(c, Standard::New, Standard::Script, options);
}

std::string CodePointName(char32_t c) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
}

std::string Place(const InputReport& report, const TextPlace& place) {
    if (report.document) {
        return "character " + std::to_string(place.index + 1) + " of its text";
    }
    return "line " + std::to_string(place.line) + ", column " + std::to_string(place.column);
}

std::string Listed(std::u32string_view characters) {
    std::string list;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        list += i == 0 ? "" : i + 1 == characters.size() ? " and " : ", ";
        list += internal::ToUtf8(characters.substr(i, 1));
    }
    return list;
}

std::string JsonString(std::string_view utf8) {
    std::string quoted = "\"";
    for (const char c : utf8) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

} // namespace

InputReport MakeReport(std::string name, const CharacterTally& tally, Standard from, Standard to,
                       ConversionOptions options, bool document) {
    InputReport report{std::move(name), from, to, document, {}, {}, false};
    struct Group {
        std::u32string characters;
        std::u32string back;
        bool listed = false;
        bool caseLost = false;
    };
    std::map<std::u32string, Group> byWritten;
    for (const auto& [c, seen] : tally.characters()) {
        if (c >= 0x80 && !Named(c, from, options)) {
            report.unconverted.push_back({c, seen});
        }
        const std::u32string written = ConvertText(std::u32string(1, c), from, to, options);
        const std::u32string back = ConvertText(written, to, from, options);
        Group& group = byWritten[written];
        group.characters += c;
        group.back = back;
        if (back != std::u32string(1, c)) {
            // Only the case lost is told once for all capitals, not letter by letter.
            const bool caseOnly = back == std::u32string(1, Lower(c));
            group.listed = group.listed || !caseOnly;
            group.caseLost = group.caseLost || caseOnly;
        }
    }
    for (auto& [written, group] : byWritten) {
        if (group.listed) {
            report.merged.push_back({group.characters, written, group.back});
        }
        report.capitalsLowered = report.capitalsLowered || (group.caseLost && !group.listed);
    }
    return report;
}

std::string ReportText(const InputReport& report) {
    const std::string from(DisplayName(report.from));
    const std::string to(DisplayName(report.to));
    std::string text =
        std::string(kProgramName) + ": " + report.name + ": " + from + " to " + to + '\n';
    if (report.unconverted.empty()) {
        text += "  nothing passed through unconverted\n";
    } else {
        text += "  passed through unconverted, named by no table of " + from + ":\n";
        for (const auto& [c, seen] : report.unconverted) {
            text += "    " + internal::ToUtf8(std::u32string(1, c)) + " " + CodePointName(c) +
                    " \u00D7" + std::to_string(seen.count) + ", first at " +
                    Place(report, seen.first) + '\n';
        }
    }
    if (report.merged.empty() && !report.capitalsLowered) {
        text += "  everything converts back as it was\n";
        return text;
    }
    text += "  not converted back as they were:\n";
    for (const InputReport::Merge& merge : report.merged) {
        text += "    " + from + " " + Listed(merge.characters) +
                (merge.characters.size() == 1 ? " becomes " : " become ") + to + " " +
                internal::ToUtf8(merge.written) + ", which converts back to " + from + " " +
                internal::ToUtf8(merge.back) + '\n';
    }
    if (report.capitalsLowered) {
        const bool keepable = report.from != Standard::Script && report.to != Standard::Script;
        text += std::string("    capitals come back as small letters") +
                (keepable ? " (--keep-case keeps them)" : "") + '\n';
    }
    return text;
}

std::string ReportJson(const std::vector<InputReport>& reports) {
    std::string json = "[";
    for (std::size_t r = 0; r < reports.size(); ++r) {
        const InputReport& report = reports[r];
        json += r == 0 ? "\n" : ",\n";
        json += "  {\"input\": " + JsonString(report.name) +
                ", \"from\": " + JsonString(ShortName(report.from)) +
                ", \"to\": " + JsonString(ShortName(report.to)) + ",\n   \"unconverted\": [";
        for (std::size_t i = 0; i < report.unconverted.size(); ++i) {
            const auto& [c, seen] = report.unconverted[i];
            json += (i == 0 ? "" : ", ") + std::string("{\"character\": ") +
                    JsonString(internal::ToUtf8(std::u32string(1, c))) +
                    ", \"code_point\": " + JsonString(CodePointName(c)) +
                    ", \"count\": " + std::to_string(seen.count);
            if (report.document) {
                json += ", \"first_index\": " + std::to_string(seen.first.index);
            } else {
                json += ", \"first_line\": " + std::to_string(seen.first.line) +
                        ", \"first_column\": " + std::to_string(seen.first.column);
            }
            json += "}";
        }
        json += "],\n   \"merged\": [";
        for (std::size_t i = 0; i < report.merged.size(); ++i) {
            const InputReport::Merge& merge = report.merged[i];
            json += (i == 0 ? "" : ", ") + std::string("{\"characters\": [");
            for (std::size_t j = 0; j < merge.characters.size(); ++j) {
                json += (j == 0 ? "" : ", ") +
                        JsonString(internal::ToUtf8(merge.characters.substr(j, 1)));
            }
            json += "], \"written\": " + JsonString(internal::ToUtf8(merge.written)) +
                    ", \"converts_back_to\": " + JsonString(internal::ToUtf8(merge.back)) + "}";
        }
        json += "],\n   \"capitals_lowered\": ";
        json += report.capitalsLowered ? "true}" : "false}";
    }
    json += reports.empty() ? "]\n" : "\n]\n";
    return json;
}

} // namespace orvani::cli
