// The filter's reading of UTF-8 on any bytes, in pieces and halves of any size, with or without
// the NFC step in front, from a stream and from a file in memory: either the whole
// conversion, or the invalid-UTF-8 error at the right byte of the input with exactly the
// conversion of the text before it; never a crash, never output past the error.

#include "errors.h"
#include "fuzz_text.h"
#include "normalizing_source.h"
#include "stream_conversion.h"
#include "worker.h"

#include <orvani/normalization.h>
#include <orvani/pipeline.h>
#include <unicode/utf8.h>

#include <cstring>
#include <optional>

using namespace orvani;
using namespace orvani::fuzz;

namespace {

class MemorySource : public cli::ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::size_t read(char* into, std::size_t size) override {
        const std::size_t count = std::min(size, bytes_.size());
        std::memcpy(into, bytes_.data(), count);
        bytes_.remove_prefix(count);
        return count;
    }
    const std::string& name() const override { return name_; }

private:
    std::string_view bytes_;
    std::string name_ = "fuzz";
};

class MemorySink : public cli::ByteSink {
public:
    void write(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

// Where the bytes stop being UTF-8, by ICU's reading: a sequence cut off by the end counts.
std::optional<std::size_t> FirstInvalid(std::string_view bytes) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto length = static_cast<std::int32_t>(bytes.size());
    for (std::int32_t i = 0; i < length;) {
        const std::int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(data, i, length, c);
        if (c < 0) {
            return static_cast<std::size_t>(start);
        }
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const auto [source, target, options] = input.conversion();
    cli::StreamSizes sizes;
    sizes.read = 1 + input.byte() % 64;
    sizes.halfWorthAThread = 1 + input.byte() % 16;
    sizes.cutSearch = 1 + input.byte() % 8;
    const bool normalize = input.byte() % 2 == 0;
    const std::string_view bytes = input.rest();

    static cli::Worker worker; // one thread for the whole run, as in the filter
    const bool mapped = input.byte() % 2 == 0;
    MemorySource raw(bytes);
    cli::NormalizingSource normalized(raw);
    cli::ByteSource& in = normalize ? static_cast<cli::ByteSource&>(normalized) : raw;
    MemorySink out;
    std::optional<std::string> error;
    try {
        if (mapped) {
            cli::ConvertMapped(bytes, "fuzz", normalize, out, Converter(source, target, options),
                               worker, sizes);
        } else {
            cli::ConvertStream(in, out, Converter(source, target, options), worker, sizes);
        }
    } catch (const cli::FilterError& e) {
        error = e.what();
    }

    const std::optional<std::size_t> invalid = FirstInvalid(bytes);
    const std::string_view valid = bytes.substr(0, invalid.value_or(bytes.size()));
    const std::u32string text = normalize ? ToNfc(CodePoints(valid)) : CodePoints(valid);
    FUZZ_CHECK(out.text == Utf8(ConvertText(text, source, target, options)));
    if (invalid) {
        // A hint about UTF-16 follows where a read piece holds its whole byte-order mark.
        const std::string plain = "fuzz: invalid UTF-8 at byte " + std::to_string(*invalid);
        FUZZ_CHECK(error && (*error == plain || error->starts_with(plain + ";")));
    } else {
        FUZZ_CHECK(!error);
    }
    return 0;
}
