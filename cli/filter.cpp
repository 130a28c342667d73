#include "filter.h"

#include "decoding_source.h"
#include "encoding_sink.h"
#include "errors.h"
#include "icu_converter.h"
#include "input.h"
#include "normalizing_source.h"
#include "output.h"
#include "stream_conversion.h"
#include "worker.h"

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace orvani::cli {
namespace {

// Whether reading `input` while writing `output` would read back what the filter writes (as
// "f >> f" would, growing f without end): both the same regular file, with unread text where
// the output goes.
bool ReadsItsOwnOutput(const Input& input, const Output& output) {
    struct stat in {};
    struct stat out {};
    if (::fstat(input.descriptor(), &in) != 0 || ::fstat(output.descriptor(), &out) != 0) {
        return false;
    }
    return S_ISREG(in.st_mode) && in.st_dev == out.st_dev && in.st_ino == out.st_ino &&
           ::lseek(input.descriptor(), 0, SEEK_CUR) < out.st_size;
}

std::string ReplacementNotice(std::uint64_t count, std::uint64_t first) {
    return "replaced " + std::to_string(count) +
           (count == 1 ? " invalid sequence" : " invalid sequences") +
           " with U+FFFD; the first at byte " + std::to_string(first);
}

} // namespace

bool RunFilter(const ConvertRequest& request, Output& output, EncodingSink* encoder,
               const std::function<void(const std::string&)>& notice) {
    const Converter fresh(request.from, request.to, DocumentType::Plain, request.options);
    const bool decodes = request.replaceInvalid || !IsUtf8(request.inputEncoding);
    ByteSink& sink = encoder != nullptr ? static_cast<ByteSink&>(*encoder) : output;
    Worker worker;
    bool allRead = true;

    const auto convert = [&](const std::string& path) {
        Input input(path);
        if (ReadsItsOwnOutput(input, output)) {
            throw ReadError(input.name(), "input file is output file");
        }
        if (encoder != nullptr) {
            encoder->startText(input.name());
        }
        std::optional<DecodingSource> decoded;
        ByteSource* text = &input;
        if (decodes) {
            text = &decoded.emplace(input, request.inputEncoding, request.replaceInvalid);
        }
        std::optional<NormalizingSource> normalized;
        if (request.normalize) {
            text = &normalized.emplace(*text);
        }
        ConvertStream(*text, sink, fresh, worker);
        if (decoded && decoded->replaced() != 0) {
            notice(FilterError(input.name(),
                               ReplacementNotice(decoded->replaced(), *decoded->firstReplaced()))
                       .what());
        }
    };

    const std::vector<std::string> standardInput = {"-"};
    for (const std::string& path : request.inputs.empty() ? standardInput : request.inputs) {
        try {
            convert(path);
        } catch (const ReadError& error) {
            if (request.output) {
                throw;
            }
            notice(error.what());
            allRead = false;
        }
    }
    return allRead;
}

} // namespace orvani::cli
