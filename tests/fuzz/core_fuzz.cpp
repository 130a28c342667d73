// The transcription core on any text, any pair of standards and any options: no crash, no
// sanitizer report, the result of the plain reference scan, the vector road byte for byte the
// scalar road, and the properties that hold for every text.

#include "fuzz_text.h"
#include "reference_scanner.h"
#include "road_comparison.h"

#include <orvani/old_standard.h>
#include <orvani/pipeline.h>
#include <orvani/script.h>

#include <algorithm>
#include <vector>

using namespace orvani;
using namespace orvani::fuzz;

namespace {

// The text fed in pieces of the given lengths, by both roads, gives the whole-text result.
void CheckPieces(std::u32string_view text, const std::string& utf8, Converter fresh,
                 FuzzInput& input, const std::u32string& whole) {
    Converter byCodePoints = fresh;
    std::u32string out;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t length =
            std::min<std::size_t>(1 + input.byte() % 16, text.size() - start);
        byCodePoints.feed(text.substr(start, length), out);
        start += length;
    }
    byCodePoints.finish(out);
    FUZZ_CHECK(out == whole);

    // The UTF-8 road, cut between characters, into buffers of exactly the room it asks for.
    Converter byBytes = fresh;
    std::string bytesOut;
    std::vector<char> buffer;
    for (std::size_t start = 0; start < utf8.size();) {
        std::size_t end = std::min<std::size_t>(start + 1 + input.byte() % 24, utf8.size());
        while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) {
            ++end;
        }
        const std::string_view piece = std::string_view(utf8).substr(start, end - start);
        buffer.assign(byBytes.maxUtf8Output(piece.size()), '\0');
        const Utf8Progress step = byBytes.convertUtf8(piece, buffer);
        FUZZ_CHECK(step.stop == Utf8Stop::End && step.read == piece.size());
        bytesOut.append(buffer.data(), step.written);
        start = end;
    }
    buffer.assign(byBytes.maxUtf8Output(0), '\0');
    bytesOut.append(buffer.data(), byBytes.finishUtf8(buffer).written);
    FUZZ_CHECK(bytesOut == Utf8(whole));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const auto [source, target, options] = input.conversion();
    const std::size_t cut = input.byte() * std::size_t{7};

    // The vector road and the scalar road on the raw bytes, invalid UTF-8 included.
    using detail::Transcriber;
    const std::string_view raw = input.rest();
    const testing::RoadRun vector = testing::RunRoad(
        testing::MakeTranscriber(source, target, options, Transcriber::Road::Fastest), raw, cut);
    FUZZ_CHECK(!vector.overrun);
    FUZZ_CHECK(vector == testing::RunRoad(testing::MakeTranscriber(source, target, options,
                                                                   Transcriber::Road::Scalar),
                                          raw, cut));

    const std::u32string text = CodePoints(raw);
    const std::string utf8 = Utf8(text);

    FUZZ_CHECK(ConvertText(text, Standard::New, Standard::New, options) == text);

    // Script written and read back: the text lower-cased, with every "q" read as "æ".
    std::u32string lowered;
    for (const char32_t c : text) {
        const auto lower = static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
        lowered.push_back(lower == U'q' ? U'æ' : lower);
    }
    FUZZ_CHECK(ConvS(OutS(text, DocumentType::Plain), DocumentType::Plain) == lowered);

    // Old text never holds a letter of the New standard's own.
    const std::u32string old = OutA(text, DocumentType::Plain, options);
    FUZZ_CHECK(old.find_first_of(U"šáíéþðóçúæx") == std::u32string::npos);

    const std::u32string whole = ConvertText(text, source, target, options);
    FUZZ_CHECK(whole == testing::ReferenceConvert(text, source, target, options));
    CheckPieces(text, utf8, Converter(source, target, options), input, whole);
    return 0;
}
