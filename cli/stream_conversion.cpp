#include "stream_conversion.h"

#include "errors.h"
#include "worker.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace orvani::cli {
namespace {

constexpr std::size_t kLongestSequence = 4;

} // namespace

void ConvertStream(ByteSource& in, ByteSink& out, const Converter& fresh, Worker& worker,
                   const StreamSizes& sizes) {
    Converter converter = fresh;
    // Room at the front for a sequence cut off by the previous read.
    const auto bytes = std::make_unique_for_overwrite<char[]>(kLongestSequence + sizes.read);
    // Room for both halves: the bound on the output grows linearly with the input.
    const std::size_t room =
        converter.maxUtf8Output(kLongestSequence + sizes.read) + converter.maxUtf8Output(0);
    const auto buffer = std::make_unique_for_overwrite<char[]>(room);
    const std::span<char> converted(buffer.get(), room);
    std::size_t held = 0;
    std::uint64_t offset = 0; // of bytes[0] in the input

    const auto emit = [&](std::span<const char> bytes) { out.write({bytes.data(), bytes.size()}); };
    const auto finish = [&] { emit(converted.first(converter.finishUtf8(converted).written)); };
    const auto fail = [&](std::string_view rest) {
        finish();
        throw InvalidUtf8(in.name(), offset + static_cast<std::size_t>(rest.data() - bytes.get()),
                          rest);
    };
    for (;;) {
        std::size_t got = 0;
        try {
            got = in.read(bytes.get() + held, sizes.read);
        } catch (const FilterError&) {
            // The text read before the fault is written, the letter held for it included.
            finish();
            throw;
        }
        if (got == 0) {
            break;
        }
        const std::string_view text(bytes.get(), held + got);
        std::size_t read = 0;
        const std::size_t middle = text.size() / 2;
        const std::size_t cut = middle >= sizes.halfWorthAThread
                                    ? FindIndependentCut(text, middle, middle + sizes.cutSearch)
                                    : std::string_view::npos;
        if (cut != std::string_view::npos) {
            Converter second = fresh;
            const std::span<char> firstOut = converted.first(converter.maxUtf8Output(cut));
            const std::span<char> secondOut = converted.subspan(firstOut.size());
            Utf8Progress secondStep{};
            worker.post([&] { secondStep = second.convertUtf8(text.substr(cut), secondOut); });
            const Utf8Progress first = converter.convertUtf8(text.substr(0, cut), firstOut);
            worker.wait();
            emit(firstOut.first(first.written));
            // The byte at the cut is ASCII: whatever stops the first half short is invalid.
            if (first.read < cut) {
                fail(text.substr(first.read));
            }
            finish();
            emit(secondOut.first(secondStep.written));
            converter = second;
            read = cut + secondStep.read;
            if (secondStep.stop == Utf8Stop::Invalid) {
                fail(text.substr(read));
            }
        } else {
            const Utf8Progress step = converter.convertUtf8(text, converted);
            emit(converted.first(step.written));
            read = step.read;
            if (step.stop == Utf8Stop::Invalid) {
                fail(text.substr(read));
            }
        }
        held = text.size() - read;
        std::copy(bytes.get() + read, bytes.get() + text.size(), bytes.get());
        offset += read;
    }
    finish();
    if (held != 0) {
        throw InvalidUtf8(in.name(), offset, {bytes.get(), held});
    }
}

} // namespace orvani::cli
