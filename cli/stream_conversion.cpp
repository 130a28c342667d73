#include "stream_conversion.h"

#include "errors.h"
#include "worker.h"

#include <algorithm>
#include <cstdint>
#include <memory>
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
    const auto converted = std::make_unique_for_overwrite<char[]>(room);
    std::size_t held = 0;
    std::uint64_t offset = 0; // of bytes[0] in the input

    const auto finish = [&] {
        out.write({converted.get(), converter.finishUtf8(converted.get())});
    };
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
            char* secondOut = converted.get() + converter.maxUtf8Output(cut);
            Converter::Utf8Step secondStep{};
            worker.post([&] { secondStep = second.feedUtf8(text.substr(cut), secondOut); });
            const Converter::Utf8Step first =
                converter.feedUtf8(text.substr(0, cut), converted.get());
            worker.wait();
            out.write({converted.get(), first.written});
            // The byte at the cut is ASCII: whatever stops the first half short is invalid.
            if (first.read < cut) {
                fail(text.substr(first.read));
            }
            out.write({converted.get(), converter.finishUtf8(converted.get())});
            out.write({secondOut, secondStep.written});
            converter = second;
            read = cut + secondStep.read;
            if (secondStep.invalid) {
                fail(text.substr(read));
            }
        } else {
            const Converter::Utf8Step step = converter.feedUtf8(text, converted.get());
            out.write({converted.get(), step.written});
            read = step.read;
            if (step.invalid) {
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
