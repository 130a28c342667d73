#pragma once

#include <orvani/documents.h>
#include <orvani/standard.h>

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvani::cli {

inline constexpr std::string_view kProgramName = "orvaniconv-cli";

// How --report tells what was not converted.
enum class ReportFormat { Text, Json };

struct ConvertRequest {
    Standard from = Standard::Old;
    Standard to = Standard::New;
    ConversionOptions options;
    std::optional<std::string> output; // standard output when absent
    std::vector<std::string> inputs;   // "-" is standard input
    // Names or aliases of ICU converters.
    std::string inputEncoding = "UTF-8";
    std::string outputEncoding = "UTF-8";
    bool inputEncodingNamed = false; // an HTML page is read in it over what the page says
    bool normalize = true;           // bring the source text to NFC before it is read
    bool replaceInvalid = false;     // invalid input becomes U+FFFD rather than an error
    // Each input's format; chosen from its name and content when absent.
    std::optional<DocumentFormat> format;
    std::string scriptFont = "Orvani Script"; // the font that Script text is given in documents
    bool byFont = true; // in documents, convert only the text in the source standard's font
    // Tell on standard error, for each input, what passed through unconverted and what does
    // not convert back.
    std::optional<ReportFormat> report;
    // Each input converted into this folder under its own name, rather than into one output.
    std::optional<std::string> outputDir;
    bool verbose = false; // tell where each file went
};

struct ShowHelp {};
struct ShowVersion {};
struct ListStandards {};

struct UsageError {
    std::string reason;
};

using Command = std::variant<ConvertRequest, ShowHelp, ShowVersion, ListStandards, UsageError>;

// Reads the command line; --help, --version and --list win over everything after them.
[[nodiscard]] Command ParseCommandLine(int argc, char* argv[]);

// "old", "new", "script" in any case, or a display name such as "Orvani Script".
[[nodiscard]] std::optional<Standard> StandardFromArgument(std::string_view argument);

[[nodiscard]] std::string HelpText();

// One line per standard: the short name and the display name.
[[nodiscard]] std::string StandardsList();

} // namespace orvani::cli
