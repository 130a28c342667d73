#include "command_line.h"
#include "encoding_sink.h"
#include "errors.h"
#include "filter.h"
#include "folder_conversion.h"
#include "icu_converter.h"
#include "output.h"
#include "report.h"
#include "standard_streams.h"

#include <orvani/version.h>

#include <cstdio>
#include <functional>
#include <iostream>
#include <new>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace orvani;
using namespace orvani::cli;

constexpr int kFailure = 1;
constexpr int kUsage = 2;
constexpr int kReaderGone = 128 + 13; // as if SIGPIPE had ended the filter

// Whether standard output and standard error are the same terminal, where a message would
// run on from text that does not end its line.
bool SharesTheTerminal() {
    struct stat out {};
    struct stat err {};
    return ::isatty(STDOUT_FILENO) == 1 && ::isatty(STDERR_FILENO) == 1 &&
           ::fstat(STDOUT_FILENO, &out) == 0 && ::fstat(STDERR_FILENO, &err) == 0 &&
           out.st_rdev == err.st_rdev;
}

void StartMessageLine() {
    if (!StandardOutputEndsLine() && SharesTheTerminal()) {
        std::cerr << '\n';
        StandardOutputLineEnded();
    }
}

void Tell(const std::string& message) {
    StartMessageLine();
    std::cerr << kProgramName << ": " << message << '\n';
}

int ConvertInto(const ConvertRequest& request, const std::function<void(InputReport)>& reported) {
    try {
        Output output(request.output);
        std::optional<EncodingSink> encoder;
        if (!IsUtf8(request.outputEncoding)) {
            encoder.emplace(output, request.outputEncoding);
        }
        const bool allRead =
            RunFilter(request, output, encoder ? &*encoder : nullptr, Tell, reported);
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
    } catch (const std::bad_alloc&) {
        // Caught, so that the output's temporary file goes with the unwinding.
        Tell("out of memory");
        return kFailure;
    } catch (const std::exception& error) {
        Tell(std::string("unexpected fault: ") + error.what());
        return kFailure;
    }
}

// Text reports are told as each input is done; JSON is one array, at the end.
int Convert(const ConvertRequest& request) {
    std::vector<InputReport> reports;
    const auto reported = [&](InputReport report) {
        if (request.report == ReportFormat::Json) {
            reports.push_back(std::move(report));
        } else {
            StartMessageLine();
            std::cerr << ReportText(report);
        }
    };
    const auto convertOne = [&](const ConvertRequest& one) { return ConvertInto(one, reported); };
    const int status =
        request.outputDir ? ConvertEachIntoFolder(request, convertOne, Tell) : convertOne(request);
    if (request.report == ReportFormat::Json) {
        StartMessageLine();
        std::cerr << ReportJson(reports);
    }
    return status;
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
