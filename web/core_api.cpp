// The core as the page's JavaScript calls it: plain C functions over UTF-8 buffers in the
// module's memory, which TextEncoder.encodeInto fills and TextDecoder reads in place, so that
// a text crosses into WebAssembly and back without a copy of its own.

#include <orvani/pipeline.h>
#include <orvani/standard.h>

#include <cstddef>
#include <emscripten/emscripten.h>
#include <span>
#include <vector>

namespace {

struct Buffers {
    std::vector<char> input;
    std::vector<char> output;
    bool mayCompose = false;
    std::size_t stoppedAt = 0;
};

Buffers& TheBuffers() {
    static Buffers buffers;
    return buffers;
}

// Grows only: the page converts text after text of much the same size.
char* Room(std::vector<char>& buffer, std::size_t bytes) {
    if (buffer.size() < bytes) {
        buffer.resize(bytes);
    }
    return buffer.data();
}

bool Known(int standard) {
    return standard >= 0 && static_cast<std::size_t>(standard) < orvani::kStandards.size();
}

} // namespace

extern "C" {

// Room for `bytes` bytes of UTF-8 input; valid until the next call of either function here.
EMSCRIPTEN_KEEPALIVE char* orvani_input(std::size_t bytes) {
    return Room(TheBuffers().input, bytes);
}

// Converts the input's first `bytes` bytes as one whole text from `source` to `target`
// (indices into kStandards) and gives the bytes written to orvani_output(), or -1 for a text
// that is not UTF-8 or a standard that does not exist.
EMSCRIPTEN_KEEPALIVE long orvani_convert(std::size_t bytes, int source, int target, int a,
                                         int ohUh) {
    if (!Known(source) || !Known(target)) {
        return -1;
    }
    Buffers& buffers = TheBuffers();
    orvani::Converter converter(orvani::kStandards[static_cast<std::size_t>(source)],
                                orvani::kStandards[static_cast<std::size_t>(target)],
                                {.a = a != 0, .ohUh = ohUh != 0});
    const std::size_t room = converter.maxUtf8Output(bytes) + converter.maxUtf8Output(0);
    const std::span<char> out(Room(buffers.output, room), room);
    const orvani::Utf8Progress step = converter.convertUtf8({buffers.input.data(), bytes}, out);
    if (step.stop != orvani::Utf8Stop::End) {
        buffers.stoppedAt = step.read;
        return -1;
    }
    buffers.mayCompose = step.mayCompose;
    const orvani::Utf8Finish last = converter.finishUtf8(out.subspan(step.written));
    return static_cast<long>(step.written + last.written);
}

EMSCRIPTEN_KEEPALIVE const char* orvani_output() {
    return TheBuffers().output.data();
}

// Where the last text that was not UTF-8 stops being so, in bytes from its start.
EMSCRIPTEN_KEEPALIVE std::size_t orvani_stopped_at() {
    return TheBuffers().stoppedAt;
}

// Whether the last text converted held a character that NFC might change: text without one
// is its own NFC and needs no second pass.
EMSCRIPTEN_KEEPALIVE int orvani_may_compose() {
    return TheBuffers().mayCompose ? 1 : 0;
}

} // extern "C"
