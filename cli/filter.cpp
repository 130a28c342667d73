#include "filter.h"

#include "decoding_source.h"
#include "encoding_sink.h"
#include "errors.h"
#include "icu_converter.h"
#include "input.h"
#include "normalizing_source.h"
#include "office_conversion.h"
#include "output.h"
#include "report.h"
#include "stream_conversion.h"
#include "worker.h"

#include <orvani/document_format.h>
#include <orvani/internal/ascii.h>
#ifdef ORVANI_WITH_DOCUMENTS
#include <orvani/documents.h>
#endif

#include <algorithm>
#include <fstream>
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

// How a document is looked at before it is read: far more than any signature needs.
constexpr std::size_t kPeekedBytes = 4096;

// The first bytes of the input at `path`, where it is a regular file, which peeking does not
// consume; empty otherwise.
std::string FirstBytes(const std::string& path) {
    std::string head(kPeekedBytes, '\0');
    struct stat status {};
    if (path == "-" || ::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return {};
    }
    std::ifstream file(path, std::ios::binary);
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(file.gcount()));
    return head;
}

// The format of an input: as asked, or else from its name and first bytes.
DocumentFormat FormatOf(const ConvertRequest& request, const std::string& path,
                        std::string_view head) {
    if (request.format) {
        return *request.format;
    }
    return DetectDocumentFormat(path == "-" ? "" : path, head);
}

std::string FormatName(DocumentFormat format) {
    const std::string_view name = DocumentFormatName(format);
    const bool vowel = format == DocumentFormat::Html || format == DocumentFormat::Odt ||
                       format == DocumentFormat::Rtf;
    return (vowel ? "an " : "a ") + std::string(name);
}

// Refuses, before anything is written, an input that is a kind of file we do not read, and a
// binary document whose result would go to a terminal.
void CheckReadable(DocumentFormat format, std::string_view head, const std::string& name,
                   bool toTerminal) {
    const bool text = format == DocumentFormat::Text || format == DocumentFormat::Html ||
                      format == DocumentFormat::Rtf;
    if (const auto kind = UnconvertedKind(head); kind && text) {
        throw FilterError(name, std::string(*kind) + ", which orvaniconv-cli does not convert");
    }
    // Archives and compound files; a flat ODT is XML.
    const bool binary = format == DocumentFormat::Docx || format == DocumentFormat::Doc ||
                        (format == DocumentFormat::Odt && head.starts_with("PK"));
    if (toTerminal && binary) {
        throw FilterError(name, FormatName(format) +
                                    " document is not written to a terminal: name a file with "
                                    "-o, or redirect standard output");
    }
}

// An input whose first bytes were read to tell its format, read again from its start.
class PeekedSource : public ByteSource {
public:
    PeekedSource(std::string head, ByteSource& rest) : head_(std::move(head)), rest_(rest) {}

    std::size_t read(char* into, std::size_t size) override {
        if (used_ == head_.size()) {
            return rest_.read(into, size);
        }
        const std::size_t copied = std::min(size, head_.size() - used_);
        std::copy_n(head_.data() + used_, copied, into);
        used_ += copied;
        return copied + (copied < size ? rest_.read(into + copied, size - copied) : 0);
    }
    [[nodiscard]] const std::string& name() const override { return rest_.name(); }

private:
    std::string head_;
    std::size_t used_ = 0;
    ByteSource& rest_;
};

#ifdef ORVANI_WITH_DOCUMENTS
// Documents are read whole: an archive must be read from its end. Far more than any real
// document, and little enough to hold in memory.
constexpr std::size_t kLargestDocument = std::size_t{1} << 30;

std::string ReadWhole(ByteSource& input) {
    std::string bytes;
    std::size_t used = 0;
    for (;;) {
        bytes.resize(used + (std::size_t{1} << 20));
        const std::size_t got = input.read(bytes.data() + used, bytes.size() - used);
        used += got;
        if (got == 0) {
            break;
        }
        if (used > kLargestDocument) {
            throw FilterError(input.name(), "a document larger than " +
                                                std::to_string(kLargestDocument >> 20) +
                                                " MiB is not read");
        }
    }
    bytes.resize(used);
    return bytes;
}
#endif

std::string ReplacementNotice(std::uint64_t count, std::uint64_t first) {
    return "replaced " + std::to_string(count) +
           (count == 1 ? " invalid sequence" : " invalid sequences") +
           " with U+FFFD; the first at byte " + std::to_string(first);
}

} // namespace

bool RunFilter(const ConvertRequest& request, Output& output, EncodingSink* encoder,
               const std::function<void(const std::string&)>& notice,
               const std::function<void(InputReport)>& reported) {
    const Converter fresh(request.from, request.to, request.options);
    const bool decodes = request.replaceInvalid || !IsUtf8(request.inputEncoding);
    ByteSink& sink = encoder != nullptr ? static_cast<ByteSink&>(*encoder) : output;
    Worker worker;
    bool allRead = true;

    const std::size_t inputs = std::max<std::size_t>(1, request.inputs.size());
    const bool toTerminal = !request.output && ::isatty(output.descriptor()) == 1;
    const auto convertDocument = [&](ByteSource& input, DocumentFormat format) {
        // An archive cannot be followed by anything, nor a document read as another encoding.
        if (format != DocumentFormat::Html && inputs > 1) {
            throw FilterError(input.name(),
                              std::string(FormatName(format)) + " document must be the only input");
        }
        const bool html = format == DocumentFormat::Html;
        if ((!html && !IsUtf8(request.inputEncoding)) || !IsUtf8(request.outputEncoding) ||
            request.replaceInvalid) {
            throw FilterError(input.name(),
                              std::string(FormatName(format)) +
                                  " document is written in the encoding it is read in; " +
                                  (html ? "--output-encoding and --replace-invalid are"
                                        : "--input-encoding (HTML only), --output-encoding and "
                                          "--replace-invalid are") +
                                  " for text");
        }
#ifdef ORVANI_WITH_DOCUMENTS
        DocumentSettings settings;
        settings.from = request.from;
        settings.to = request.to;
        settings.options = request.options;
        settings.normalize = request.normalize;
        settings.scriptFont = request.scriptFont;
        settings.byFont = request.byFont;
        if (request.inputEncodingNamed) {
            settings.htmlEncoding = request.inputEncoding;
        }
        std::optional<CharacterTally> tally;
        if (request.report) {
            settings.observeText = [&tally](std::string_view text) { tally->add(text); };
            tally.emplace();
        }
        const auto report = [&] {
            if (tally) {
                reported(MakeReport(input.name(), *tally, request.from, request.to, request.options,
                                    true));
            }
        };
        const std::string document = ReadWhole(input);
        try {
            if (format != DocumentFormat::Doc) {
                ConvertDocument(document, format, settings,
                                [&](std::string_view piece) { sink.write(piece); });
                report();
                return;
            }
            // LibreOffice reads it into DOCX and, for a .doc named so, writes the result back.
            std::string converted = ConvertDocument(OfficeToDocx(document, input.name()),
                                                    DocumentFormat::Docx, settings);
            const std::string named = request.output.value_or("");
            if (named.size() > 4 &&
                internal::EqualsIgnoringAsciiCase(named.substr(named.size() - 4), ".doc")) {
                converted = DocxToDoc(converted, input.name());
            }
            sink.write(converted);
        } catch (const DocumentError& error) {
            throw FilterError(input.name(), error.what());
        }
        report();
#else
        throw FilterError(input.name(),
                          "is " + FormatName(format) +
                              " document, and this orvaniconv-cli was built without the "
                              "documents layer (expat, libzip): it converts plain text only");
#endif
    };

    const auto convert = [&](const std::string& path) {
        Input input(path);
        if (ReadsItsOwnOutput(input, output)) {
            throw ReadError(input.name(), "input file is output file");
        }
        // Standard input's format is told from its first bytes, read ahead and then again.
        std::optional<PeekedSource> peeked;
        ByteSource* source = &input;
        std::string head = FirstBytes(path);
        if (path == "-" && !request.format) {
            head.resize(kPeekedBytes);
            head.resize(input.read(head.data(), head.size()));
            source = &peeked.emplace(head, input);
        }
        if (const DocumentFormat format = FormatOf(request, path, head);
            format != DocumentFormat::Text || path == "-") {
            if (path == "-") {
                CheckReadable(format, head, input.name(), toTerminal);
            }
            if (format != DocumentFormat::Text) {
                convertDocument(*source, format);
                return;
            }
        }
        if (encoder != nullptr) {
            encoder->startText(input.name());
        }
        // The report counts the text as it streams, after decoding and NFC.
        std::optional<CharacterTally> tally;
        if (request.report) {
            tally.emplace();
        }
        if (const auto mapped = input.mapped(); mapped && !decodes && !peeked && !tally) {
            ConvertMapped(*mapped, input.name(), request.normalize, sink, fresh, worker, {},
                          [&](std::size_t done) { input.release(done); });
            return;
        }
        std::optional<DecodingSource> decoded;
        ByteSource* text = source;
        if (decodes) {
            text = &decoded.emplace(*source, request.inputEncoding, request.replaceInvalid);
        }
        std::optional<NormalizingSource> normalized;
        if (request.normalize) {
            text = &normalized.emplace(*text);
        }
        std::optional<TallyingSource> tallied;
        if (tally) {
            text = &tallied.emplace(*text, *tally);
        }
        ConvertStream(*text, sink, fresh, worker);
        if (tally) {
            reported(
                MakeReport(input.name(), *tally, request.from, request.to, request.options, false));
        }
        if (decoded && decoded->replaced() != 0) {
            notice(FilterError(input.name(),
                               ReplacementNotice(decoded->replaced(), *decoded->firstReplaced()))
                       .what());
        }
    };

    const std::vector<std::string> standardInput = {"-"};
    const std::vector<std::string>& paths = request.inputs.empty() ? standardInput : request.inputs;
    for (const std::string& path : paths) {
        if (path != "-") {
            const std::string head = FirstBytes(path);
            CheckReadable(FormatOf(request, path, head), head, path, toTerminal);
        }
    }
    for (const std::string& path : paths) {
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
