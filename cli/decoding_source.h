#pragma once

#include "icu_converter.h"
#include "streams.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>

namespace orvani::cli {

// UTF-8 text read from `in`, which is in `encoding`, through ICU's converters. A byte sequence
// that is invalid in the encoding is reported with its byte in the input, after the text
// before it; or, when replacing, becomes U+FFFD and the text goes on. ICU replaces invalid
// UTF-8 sequence by sequence, each maximal subpart as the Unicode standard recommends.
class DecodingSource : public ByteSource {
public:
    DecodingSource(ByteSource& in, const std::string& encoding, bool replace);

    std::size_t read(char* into, std::size_t size) override;
    [[nodiscard]] const std::string& name() const override { return in_.name(); }

    [[nodiscard]] std::uint64_t replaced() const noexcept { return replaced_; }
    // The byte in the input of the first sequence replaced.
    [[nodiscard]] std::optional<std::uint64_t> firstReplaced() const noexcept {
        return firstReplaced_;
    }

private:
    void decode(const char* bytes, std::size_t length, bool flush);
    void appendUtf8(const UChar* units, std::size_t length);

    ByteSource& in_;
    std::string encoding_;
    ConverterHandle converter_;
    bool replace_;
    std::unique_ptr<char[]> raw_;
    std::u16string units_;
    std::string ready_;
    std::size_t readyFrom_ = 0;
    std::uint64_t consumed_ = 0;
    std::uint64_t replaced_ = 0;
    std::optional<std::uint64_t> firstReplaced_;
    bool ended_ = false;
    std::exception_ptr fault_;
};

} // namespace orvani::cli
