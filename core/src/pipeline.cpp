#include "transcriber.h"

#include <orvani/pipeline.h>

#include <algorithm>

namespace orvani {
namespace {

using detail::Transcriber;

// Whole texts go through in blocks, so that the room reserved ahead stays small.
constexpr std::size_t kBlock = std::size_t{1} << 14;

std::optional<detail::ScanRules> ReaderOf(Standard standard) {
    switch (standard) {
    case Standard::Old:
        return detail::OldReading();
    case Standard::Script:
        return detail::ScriptReading();
    case Standard::New:
        break;
    }
    return std::nullopt; // New text is already pivot text
}

std::optional<detail::ScanRules> WriterOf(Standard standard) {
    switch (standard) {
    case Standard::Old:
        return detail::OldWriting();
    case Standard::Script:
        return detail::ScriptWriting();
    case Standard::New:
        break;
    }
    return std::nullopt;
}

} // namespace

Converter::Converter(std::optional<Standard> source, std::optional<Standard> target,
                     DocumentType type, ConversionOptions options)
    : pending_(Transcriber::kNothingPending) {
    // A missing standard leaves the pivot or the result empty. For HTML every reader and
    // writer yields nothing; only New to New runs neither.
    const bool html = type == DocumentType::HTML;
    if (!source || !target || (html && (*source != Standard::New || *target != Standard::New))) {
        transcriber_ = std::make_shared<const Transcriber>(Transcriber::Discard{});
        return;
    }
    const auto reader = ReaderOf(*source);
    const auto writer = WriterOf(*target);
    transcriber_ = std::make_shared<const Transcriber>(reader ? &*reader : nullptr,
                                                       writer ? &*writer : nullptr, options);
}

void Converter::feed(std::u32string_view text, std::u32string& out) {
    for (std::size_t start = 0; start < text.size(); start += kBlock) {
        const std::u32string_view block = text.substr(start, kBlock);
        const std::size_t used = out.size();
        out.resize(used + transcriber_->maxOutput(block.size(), false));
        const auto scan = transcriber_->feed(block.data(), block.data() + block.size(),
                                             out.data() + used, pending_);
        out.resize(static_cast<std::size_t>(scan.out - out.data()));
    }
}

void Converter::finish(std::u32string& out) {
    const std::size_t used = out.size();
    out.resize(used + transcriber_->maxOutput(0, false));
    char32_t* end = transcriber_->finish(out.data() + used, pending_);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

std::size_t Converter::maxUtf8Output(std::size_t bytes) const noexcept {
    return transcriber_->maxOutput(bytes, true);
}

Converter::Utf8Step Converter::feedUtf8(std::string_view utf8, char* out) {
    const auto scan = transcriber_->feed(utf8.data(), utf8.data() + utf8.size(), out, pending_);
    return {static_cast<std::size_t>(scan.stop - utf8.data()),
            static_cast<std::size_t>(scan.out - out), scan.invalid};
}

std::size_t Converter::finishUtf8(char* out) {
    return static_cast<std::size_t>(transcriber_->finish(out, pending_) - out);
}

std::size_t FindIndependentCut(std::string_view utf8, std::size_t from, std::size_t to) noexcept {
    to = std::min(to, utf8.size());
    for (std::size_t i = from; i < to; ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const bool letter = (byte | 0x20) >= 'a' && (byte | 0x20) <= 'z';
        if (byte < 0x80 && !letter) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::u32string ConvertText(std::u32string_view text, std::optional<Standard> source,
                           std::optional<Standard> target, DocumentType type,
                           ConversionOptions options) {
    std::u32string out;
    out.reserve(text.size());
    Converter converter(source, target, type, options);
    converter.feed(text, out);
    converter.finish(out);
    return out;
}

} // namespace orvani
