#include "stream_conversion.h"

#include "errors.h"
#include "worker.h"

#include <orvani/internal/utf8.h>
#include <orvani/normalization.h>

#include <algorithm>
#include <span>
#include <utility>

namespace orvani::cli {
namespace {

using internal::kLongestUtf8;

} // namespace

PieceConverter::PieceConverter(ByteSink& out, const Converter& fresh, Worker& worker,
                               const StreamSizes& sizes, std::string name)
    : out_(out), fresh_(fresh), converter_(fresh), worker_(worker), sizes_(sizes),
      name_(std::move(name)), first_(fresh), second_(fresh) {
    // Room for both halves: the bound on the output grows linearly with the input.
    const std::size_t room =
        converter_.maxUtf8Output(kLongestUtf8 + sizes.read) + converter_.maxUtf8Output(0);
    buffer_ = std::make_unique_for_overwrite<char[]>(room);
    room_ = std::span<char>(buffer_.get(), room);
}

PieceConverter::~PieceConverter() = default;

void PieceConverter::finish() {
    const std::size_t written = converter_.finishUtf8(room_).written;
    out_.write({room_.data(), written});
}

void PieceConverter::fail(std::string_view rest, std::uint64_t offset) {
    finish();
    throw InvalidUtf8(name_, offset, rest);
}

PieceConverter::Step PieceConverter::prepare(std::string_view text) {
    text = text.substr(0, kLongestUtf8 + sizes_.read); // what the buffer holds
    prepared_ = true;
    first_ = converter_;
    const std::size_t middle = text.size() / 2;
    const std::size_t cut = middle >= sizes_.halfWorthAThread
                                ? FindIndependentCut(text, middle, middle + sizes_.cutSearch)
                                : std::string_view::npos;
    cut_ = cut != std::string_view::npos;
    if (!cut_) {
        const Utf8Progress step = first_.convertUtf8(text, room_);
        firstWritten_ = step.written;
        return {step.read, step.stop, step.mayCompose};
    }
    second_ = fresh_;
    secondAt_ = first_.maxUtf8Output(cut);
    const std::span<char> secondOut = room_.subspan(secondAt_);
    Utf8Progress secondStep{};
    worker_.post([&] { secondStep = second_.convertUtf8(text.substr(cut), secondOut); });
    const Utf8Progress first = first_.convertUtf8(text.substr(0, cut), room_.first(secondAt_));
    worker_.wait();
    firstWritten_ = first.written;
    secondWritten_ = secondStep.written;
    const bool mayCompose = first.mayCompose || secondStep.mayCompose;
    // The byte at the cut is ASCII: whatever stops the first half short is invalid, and what
    // the second half did does not count.
    if (first.read < cut) {
        cut_ = false;
        return {first.read, Utf8Stop::Invalid, mayCompose};
    }
    return {cut + secondStep.read, secondStep.stop, mayCompose};
}

void PieceConverter::commit() {
    if (!std::exchange(prepared_, false)) {
        return;
    }
    out_.write({room_.data(), firstWritten_});
    if (!cut_) {
        converter_ = first_;
        return;
    }
    // The first half's last letter is written before the second half begins.
    std::string tail(first_.maxUtf8Output(0), '\0');
    out_.write({tail.data(), first_.finishUtf8(tail).written});
    out_.write({room_.data() + secondAt_, secondWritten_});
    converter_ = second_;
}

std::size_t PieceConverter::convert(std::string_view text, std::uint64_t offset) {
    const Step step = prepare(text);
    commit();
    if (step.stop == Utf8Stop::Invalid) {
        fail(text.substr(step.read), offset + step.read);
    }
    return step.read;
}

void PieceConverter::convertAll(std::string_view text, std::uint64_t offset) {
    while (!text.empty()) {
        const std::string_view piece = text.substr(0, kLongestUtf8 + sizes_.read);
        const std::size_t read = convert(piece, offset);
        if (read < piece.size() && piece.size() == text.size()) {
            fail(text.substr(read), offset + read); // a character that the end cuts off
        }
        text.remove_prefix(read);
        offset += read;
    }
}

void ConvertStream(ByteSource& in, ByteSink& out, const Converter& fresh, Worker& worker,
                   const StreamSizes& sizes) {
    PieceConverter pieces(out, fresh, worker, sizes, in.name());
    // Room at the front for a sequence cut off by the previous read.
    const auto bytes = std::make_unique_for_overwrite<char[]>(kLongestUtf8 + sizes.read);
    std::size_t held = 0;
    std::uint64_t offset = 0; // of bytes[0] in the input
    for (;;) {
        std::size_t got = 0;
        try {
            got = in.read(bytes.get() + held, sizes.read);
        } catch (const FilterError&) {
            // The text read before the fault is written, the letter held for it included.
            pieces.finish();
            throw;
        }
        if (got == 0) {
            break;
        }
        const std::string_view text(bytes.get(), held + got);
        const std::size_t read = pieces.convert(text, offset);
        held = text.size() - read;
        std::copy(bytes.get() + read, bytes.get() + text.size(), bytes.get());
        offset += read;
    }
    pieces.finish();
    if (held != 0) {
        throw InvalidUtf8(in.name(), offset, {bytes.get(), held});
    }
}

namespace {

// Normalises and converts `slice`, with whose ends nothing composes, the bytes from `at` of
// the input `name`. Invalid UTF-8 is looked for first, so that messages name the input's byte.
void ConvertNormalized(std::string_view slice, std::uint64_t at, const std::string& name,
                       PieceConverter& pieces, const StreamSizes& sizes) {
    const std::size_t bad = internal::FindInvalidUtf8(slice);
    std::string_view valid = slice.substr(0, std::min(bad, slice.size()));
    NfcStream nfc;
    std::string normal;
    while (!valid.empty()) {
        const std::size_t cut = internal::CharacterStartFrom(valid, sizes.read);
        normal.clear();
        nfc.feed(valid.substr(0, cut), normal);
        pieces.convertAll(normal, at);
        valid.remove_prefix(cut);
    }
    normal.clear();
    nfc.finish(normal);
    pieces.convertAll(normal, at);
    if (bad != std::string_view::npos) {
        pieces.finish();
        throw InvalidUtf8(name, at + bad, slice.substr(bad));
    }
}

} // namespace

void ConvertMapped(std::string_view text, const std::string& name, bool normalize, ByteSink& out,
                   const Converter& fresh, Worker& worker, const StreamSizes& sizes,
                   const std::function<void(std::size_t)>& done) {
    PieceConverter pieces(out, fresh, worker, sizes, name);
    const std::size_t piece = std::max(sizes.read, kLongestUtf8);
    std::size_t at = 0;
    const auto fail = [&](std::size_t where) {
        pieces.finish();
        throw InvalidUtf8(name, at + where, text.substr(at + where));
    };
    while (at < text.size()) {
        std::size_t end = std::min(text.size(), at + piece);
        // Normalised, a slice ends before an ASCII character other than a letter, with which
        // nothing composes; otherwise anywhere, and a character that the end cuts off goes on
        // in the next slice.
        if (normalize && end < text.size()) {
            const std::size_t cut =
                FindIndependentCut(text, end - std::min(end - at - 1, sizes.cutSearch), end);
            end = cut != std::string_view::npos
                      ? cut
                      : std::min(text.size(), FindIndependentCut(text, end, text.size()));
        }
        const std::string_view slice = text.substr(at, end - at);
        if (!normalize || slice.size() <= piece) {
            // Converted where it lies, and normalised only where it holds what NFC might
            // change: then what was converted is dropped and the slice taken again.
            const PieceConverter::Step step = pieces.prepare(slice);
            if (normalize && step.mayCompose && NfcMayChange(slice)) {
                pieces.discard();
                ConvertNormalized(slice, at, name, pieces, sizes);
                at = end;
            } else {
                pieces.commit();
                // Normalised, nothing goes on past a slice's end: what it cuts off is invalid.
                const bool lastOfItsText = normalize || end == text.size();
                if (step.stop == Utf8Stop::Invalid || (step.read < slice.size() && lastOfItsText)) {
                    fail(step.read);
                }
                at += step.read;
            }
        } else if (NfcMayChange(slice)) {
            // A slice that runs on past a piece for want of a place to end.
            ConvertNormalized(slice, at, name, pieces, sizes);
            at = end;
        } else {
            pieces.convertAll(slice, at);
            at = end;
        }
        if (done) {
            done(at);
        }
    }
    pieces.finish();
}

} // namespace orvani::cli
