#include "command_line.h"

#include <algorithm>
#include <cctype>
#include <getopt.h>

namespace orvani::cli {
namespace {

enum LongOnly : int { kA = 256, kNoA, kOhUh, kNoOhUh };

constexpr option kLongOptions[] = {
    {"from", required_argument, nullptr, 'f'},
    {"to", required_argument, nullptr, 't'},
    {"output", required_argument, nullptr, 'o'},
    {"a", no_argument, nullptr, kA},
    {"no-a", no_argument, nullptr, kNoA},
    {"oh-uh", no_argument, nullptr, kOhUh},
    {"no-oh-uh", no_argument, nullptr, kNoOhUh},
    {"list", no_argument, nullptr, 'l'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

constexpr std::pair<std::string_view, Standard> kShortNames[] = {
    {"old", Standard::Old}, {"new", Standard::New}, {"script", Standard::Script}};

std::string UnknownStandard(std::string_view argument) {
    return "unknown standard '" + std::string(argument) + "' (choose old, new or script)";
}

} // namespace

std::optional<Standard> StandardFromArgument(std::string_view argument) {
    for (const auto& [name, standard] : kShortNames) {
        if (EqualsIgnoringCase(argument, name) ||
            EqualsIgnoringCase(argument, DisplayName(standard))) {
            return standard;
        }
    }
    return std::nullopt;
}

Command ParseCommandLine(int argc, char* argv[]) {
    ConvertRequest request;
    std::optional<Standard> from;
    std::optional<Standard> to;

    optind = 0; // a fresh scan, also when called more than once
    opterr = 0; // we word the messages ourselves
    for (;;) {
        const int opt = getopt_long(argc, argv, ":f:t:o:lhV", kLongOptions, nullptr);
        if (opt == -1) {
            break;
        }
        switch (opt) {
        case 'f':
        case 't': {
            const auto standard = StandardFromArgument(optarg);
            if (!standard) {
                return UsageError{UnknownStandard(optarg)};
            }
            (opt == 'f' ? from : to) = standard;
            break;
        }
        case 'o':
            request.output = optarg;
            break;
        case kA:
            request.options.a = true;
            break;
        case kNoA:
            request.options.a = false;
            break;
        case kOhUh:
            request.options.ohUh = true;
            break;
        case kNoOhUh:
            request.options.ohUh = false;
            break;
        case 'l':
            return ListStandards{};
        case 'h':
            return ShowHelp{};
        case 'V':
            return ShowVersion{};
        case ':':
            return UsageError{"option '" + std::string(argv[optind - 1]) + "' needs an argument"};
        default: {
            // Inside a cluster such as "-xf" optind has not moved on: name the letter.
            const std::string_view word = argv[optind - 1];
            const std::string bad = (optopt == 0 || word.starts_with("--"))
                                        ? std::string(word)
                                        : std::string("-") + static_cast<char>(optopt);
            return UsageError{"unknown option '" + bad + "'"};
        }
        }
    }
    for (int i = optind; i < argc; ++i) {
        request.inputs.emplace_back(argv[i]);
    }
    if (!from) {
        return UsageError{"missing -f FROM, the standard of the input"};
    }
    if (!to) {
        return UsageError{"missing -t TO, the standard wanted"};
    }
    request.from = *from;
    request.to = *to;
    return request;
}

std::string StandardsList() {
    std::string list;
    for (const auto& [name, standard] : kShortNames) {
        list += std::string(name) + std::string(8 - name.size(), ' ') +
                std::string(DisplayName(standard)) + '\n';
    }
    return list;
}

std::string HelpText() {
    return R"(Usage: orvaniconv-cli -f FROM -t TO [OPTION...] [FILE...]
Convert Orvani text between the Old, New and Orvani Script standards.

Each FILE is converted on its own and the results are written one after another;
with no FILE, or where FILE is -, standard input is read. Text is UTF-8 in and out.

  -f, --from=FROM     the standard of the input
  -t, --to=TO         the standard to write
                      (old, new or script, in any case, or "Orvani Script")
      --a             read a single "a" of Old text as "æ" (the default)
      --no-a          read a single "a" of Old text as "a"
      --oh-uh         read Old "oh" and "uh" as "o" and "u", and write them back so
      --no-oh-uh      keep "oh" and "uh" as they are (the default)
  -o, --output=FILE   write to FILE, replacing it only when the whole conversion succeeded
  -l, --list          list the standards
  -h, --help          show this help
  -V, --version       show the version

Where an option is given more than once, the last one counts.

Exit status: 0 on success, 1 when an input could not be read or converted or the output
could not be written, 2 for a wrong command line.

Example:
  echo "Kheetsoy dhath" | orvaniconv-cli -f old -t new
)";
}

} // namespace orvani::cli
