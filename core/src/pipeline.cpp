#include "shared_transcribers.h"

#include <orvani/internal/utf8.h>
#include <orvani/pipeline.h>

#include <algorithm>

namespace orvani {
namespace {

using detail::CaseKeeping;
using detail::Transcriber;

// Whole texts go through in blocks, so that the room reserved ahead stays small.
constexpr std::size_t kBlock = std::size_t{1} << 14;

} // namespace

Converter::Converter(Standard source, Standard target, ConversionOptions options)
    : transcriber_(&detail::SharedTranscriber(source, target, options)),
      caseKeeping_(detail::SharedCaseKeeping(source, target, options)) {}

void Converter::feed(std::u32string_view text, std::u32string& out) {
    if (caseKeeping_ != nullptr) {
        char32_t written[CaseKeeping::kMostWritten];
        for (const char32_t c : text) {
            out.append(written, caseKeeping_->feed(c, caseState_, written));
        }
        return;
    }
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
    if (caseKeeping_ != nullptr) {
        char32_t written[CaseKeeping::kMostWritten];
        out.append(written, caseKeeping_->finish(caseState_, written));
        return;
    }
    const std::size_t used = out.size();
    out.resize(used + transcriber_->maxOutput(0, false));
    char32_t* end = transcriber_->finish(out.data() + used, pending_);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

std::size_t Converter::maxUtf8Output(std::size_t bytes) const noexcept {
    if (caseKeeping_ != nullptr) {
        return bytes * CaseKeeping::kUtf8Growth + CaseKeeping::kHeldUtf8;
    }
    return transcriber_->maxOutput(bytes, true);
}

Utf8Progress Converter::convertUtf8KeepingCase(std::string_view utf8,
                                               std::span<char> out) noexcept {
    std::size_t fits = utf8.size();
    if (maxUtf8Output(fits) > out.size()) {
        fits = out.size() < CaseKeeping::kHeldUtf8
                   ? 0
                   : (out.size() - CaseKeeping::kHeldUtf8) / CaseKeeping::kUtf8Growth;
    }
    const std::optional<char32_t> held = caseState_.readerHeld;
    const char* p = utf8.data();
    const char* const end = p + fits;
    char* o = out.data();
    bool mayCompose = false;
    bool invalid = false;
    while (p < end) {
        const internal::Utf8Char read = internal::DecodeUtf8(p, end);
        if (read.status != internal::Utf8Status::Valid) {
            invalid = read.status == internal::Utf8Status::Invalid;
            break;
        }
        mayCompose = mayCompose || Transcriber::MayCompose(read.c);
        char32_t written[CaseKeeping::kMostWritten];
        char32_t* const writtenEnd = caseKeeping_->feed(read.c, caseState_, written);
        for (const char32_t* w = written; w < writtenEnd; ++w) {
            o = internal::EncodeUtf8(*w, o);
        }
        p += read.length;
    }
    const auto read = static_cast<std::size_t>(p - utf8.data());
    Utf8Stop stop = Utf8Stop::End;
    if (invalid) {
        stop = Utf8Stop::Invalid;
    } else if (read < utf8.size()) {
        stop = fits < utf8.size() ? Utf8Stop::OutputFull : Utf8Stop::CutOff;
    }
    const bool heldPaired =
        held && read != 0 && caseKeeping_->pairs(*held, internal::DecodeUtf8(utf8, 0).c);
    return {read, static_cast<std::size_t>(o - out.data()), stop, mayCompose, heldPaired};
}

Utf8Progress Converter::convertUtf8(std::string_view utf8, std::span<char> out) noexcept {
    if (caseKeeping_ != nullptr) {
        return convertUtf8KeepingCase(utf8, out);
    }
    // Only as much input as the output is sure to have room for.
    std::size_t fits = utf8.size();
    if (maxUtf8Output(fits) > out.size()) {
        const std::size_t perByte = std::max<std::size_t>(1, maxUtf8Output(1) - maxUtf8Output(0));
        fits = out.size() < maxUtf8Output(0) ? 0 : (out.size() - maxUtf8Output(0)) / perByte;
    }
    const std::string_view piece = utf8.substr(0, fits);
    const std::optional<char16_t> held = pending_;
    const auto scan =
        transcriber_->feed(piece.data(), piece.data() + piece.size(), out.data(), pending_);
    const auto read = static_cast<std::size_t>(scan.stop - utf8.data());
    Utf8Stop stop = Utf8Stop::End;
    if (scan.why == Transcriber::Stop::Invalid) {
        stop = Utf8Stop::Invalid;
    } else if (read < utf8.size()) {
        // Cut off by the end of the piece, or by the end of what fitted.
        stop = fits < utf8.size() ? Utf8Stop::OutputFull : Utf8Stop::CutOff;
    }
    const bool heldPaired =
        held && read != 0 && transcriber_->pairs(*held, internal::DecodeUtf8(utf8, 0).c);
    return {read, static_cast<std::size_t>(scan.out - out.data()), stop, scan.mayCompose,
            heldPaired};
}

Utf8Finish Converter::finishUtf8(std::span<char> out) noexcept {
    if (caseKeeping_ != nullptr) {
        if (out.size() < maxUtf8Output(0)) {
            return {0, Utf8Stop::OutputFull};
        }
        char32_t written[CaseKeeping::kMostWritten];
        char32_t* const writtenEnd = caseKeeping_->finish(caseState_, written);
        char* o = out.data();
        for (const char32_t* w = written; w < writtenEnd; ++w) {
            o = internal::EncodeUtf8(*w, o);
        }
        return {static_cast<std::size_t>(o - out.data()), Utf8Stop::End};
    }
    if (pending_ && out.size() < maxUtf8Output(0)) {
        return {0, Utf8Stop::OutputFull};
    }
    return {static_cast<std::size_t>(transcriber_->finish(out.data(), pending_) - out.data()),
            Utf8Stop::End};
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

Utf8Conversion ConvertUtf8(std::string_view text, Standard source, Standard target,
                           ConversionOptions options) {
    Utf8Conversion result;
    Converter converter(source, target, options);
    std::size_t used = 0;
    std::size_t done = 0;
    for (;;) {
        const std::string_view block = text.substr(done, kBlock);
        result.text.resize(used + converter.maxUtf8Output(block.size()));
        const Utf8Progress step =
            converter.convertUtf8(block, std::span(result.text).subspan(used));
        used += step.written;
        done += step.read;
        // A sequence that a block cuts off is read again with the next block.
        const bool more = step.stop == Utf8Stop::End
                              ? done < text.size()
                              : step.stop == Utf8Stop::CutOff && block.size() == kBlock;
        if (!more) {
            if (step.stop != Utf8Stop::End) {
                result.error =
                    step.stop == Utf8Stop::CutOff ? Utf8Error::CutOff : Utf8Error::Invalid;
            }
            break;
        }
    }
    result.position = done;
    result.text.resize(used + converter.maxUtf8Output(0));
    result.text.resize(used + converter.finishUtf8(std::span(result.text).subspan(used)).written);
    return result;
}

std::u32string ConvertText(std::u32string_view text, Standard source, Standard target,
                           ConversionOptions options) {
    std::u32string out;
    out.reserve(text.size());
    Converter converter(source, target, options);
    converter.feed(text, out);
    converter.finish(out);
    return out;
}

} // namespace orvani
