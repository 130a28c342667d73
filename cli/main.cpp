#include "command_line.h"
#include "encoding_sink.h"
#include "errors.h"
#include "filter.h"
#include "icu_converter.h"
#include "output.h"
#include "standard_streams.h"

#include <orvani/version.h>

#include <cstdio>
#include <iostream>
#include <string_view>

namespace {

using namespace orvani;
using namespace orvani::cli;

constexpr int kFailure = 1;
constexpr int kUsage = 2;
constexpr int kReaderGone = 128 + 13; // as if SIGPIPE had ended the filter

void Tell(const std::string& message) {
    std::cerr << kProgramName << ": " << message << '\n';
}

int Convert(const ConvertRequest& request) {
    try {
        Output output(request.output);
        std::optional<EncodingSink> encoder;
        if (!IsUtf8(request.outputEncoding)) {
            encoder.emplace(output, request.outputEncoding);
        }
        const bool allRead = RunFilter(request, output, encoder ? &*encoder : nullptr, Tell);
        if (encoder) {
            encoder->finish();
        }
        output.commit();
        return allRead ? 0 : kFailure;
    } catch (const FilterError& error) {
        // The text before the fault has reached standard output; a file is left untouched.
        Tell(error.what());
        return kFailure;
    } catch (const ReaderGone&) {
        return kReaderGone;
    }
}

// Writes all of `text` to standard output as a conversion does: a failure is told with the
// system's reason, and a reader that has gone ends the program quietly.
int Print(std::string_view text) {
    try {
        Output(std::nullopt).write(text);
        return 0;
    } catch (const FilterError& error) {
        Tell(error.what());
        return kFailure;
    } catch (const ReaderGone&) {
        return kReaderGone;
    }
}

int Run(int argc, char* argv[]) {
    const Command command = ParseCommandLine(argc, argv);
    return std::visit(
        [](const auto& what) -> int {
            using T = std::decay_t<decltype(what)>;
            if constexpr (std::is_same_v<T, ConvertRequest>) {
                return Convert(what);
            } else if constexpr (std::is_same_v<T, ShowHelp>) {
                return Print(HelpText());
            } else if constexpr (std::is_same_v<T, ShowVersion>) {
                return Print(std::string(kProgramName) + ' ' + std::string(kVersion) + '\n');
            } else if constexpr (std::is_same_v<T, ListStandards>) {
                return Print(StandardsList());
            } else {
                std::cerr << kProgramName << ": " << what.reason << '\n'
                          << "Try '" << kProgramName << " --help' for more information.\n";
                return kUsage;
            }
        },
        command);
}

} // namespace

int main(int argc, char* argv[]) {
    KeepClosedStandardStreamsClosed();
    return Run(argc, argv);
}
