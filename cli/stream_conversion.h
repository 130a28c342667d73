#pragma once

#include "streams.h"

#include <orvani/pipeline.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace orvani::cli {

class Worker;

struct StreamSizes {
    std::size_t read = std::size_t{1} << 20; // bytes read and converted at a time
    // A piece is cut in two, to convert the halves on two cores, when each half would be at
    // least this large.
    std::size_t halfWorthAThread = std::size_t{1} << 16;
    std::size_t cutSearch = std::size_t{1} << 12; // how far past the middle to look for a cut
};

// Converts text a piece at a time into `out`, each large piece cut in two halves converted at
// once on this thread and the worker's, with a converter copied from `fresh`. A piece may be
// converted first and written, or dropped, after (prepare(), then commit() or discard()).
class PieceConverter {
public:
    PieceConverter(ByteSink& out, const Converter& fresh, Worker& worker, const StreamSizes& sizes,
                   std::string name);
    ~PieceConverter();
    PieceConverter(const PieceConverter&) = delete;
    PieceConverter& operator=(const PieceConverter&) = delete;

    // What prepare() converted of its piece: up to `read`, where it stopped at the end, at a
    // character that the end cuts off, or at invalid UTF-8; whether it met a character that
    // NFC might change.
    struct Step {
        std::size_t read;
        Utf8Stop stop;
        bool mayCompose;
    };
    // Converts the start of `text` (up to sizes.read bytes and a character) without writing
    // anything yet.
    Step prepare(std::string_view text);
    // Writes what prepare() converted and goes on from there; or forgets it.
    void commit();
    void discard() noexcept { prepared_ = false; }

    // prepare() and commit(), then throws FilterError at invalid UTF-8, naming its byte in the
    // input (the piece starts at byte `offset`), after writing all the text before it. A
    // character that the end cuts off is left for the next piece; returns the bytes read.
    std::size_t convert(std::string_view text, std::uint64_t offset);
    // Converts the whole of `text`, in pieces; a character that its end cuts off is invalid.
    void convertAll(std::string_view text, std::uint64_t offset);
    // Writes what the last piece left open.
    void finish();

private:
    [[noreturn]] void fail(std::string_view rest, std::uint64_t offset);

    ByteSink& out_;
    const Converter& fresh_;
    Converter converter_;
    Worker& worker_;
    StreamSizes sizes_;
    std::string name_;
    std::unique_ptr<char[]> buffer_;
    std::span<char> room_;
    // What prepare() left for commit(): the first half's output and the converter after it,
    // and the second half's, if the piece was cut in two.
    bool prepared_ = false;
    bool cut_ = false;
    Converter first_;
    Converter second_;
    std::size_t firstWritten_ = 0;
    std::size_t secondAt_ = 0;
    std::size_t secondWritten_ = 0;
};

// Converts the whole of `in` into `out`, a piece at a time. Throws FilterError at invalid
// UTF-8 (naming the byte, counted from 0 in `in`) or a failed read or write, after writing all
// the text before the fault.
void ConvertStream(ByteSource& in, ByteSink& out, const Converter& fresh, Worker& worker,
                   const StreamSizes& sizes = {});

// Converts `text`, the whole input `name` in memory (a file mapped), into `out` without
// copying it. With `normalize`, it is brought to NFC a slice at a time, each slice ending
// where nothing composes across (before an ASCII character other than a letter), and a slice
// that NFC leaves as it is, as the usual text is, is converted where it lies. Faults as above;
// `done` is told after each slice how many bytes are converted, so that the memory of those
// can be given back.
void ConvertMapped(std::string_view text, const std::string& name, bool normalize, ByteSink& out,
                   const Converter& fresh, Worker& worker, const StreamSizes& sizes = {},
                   const std::function<void(std::size_t)>& done = {});

} // namespace orvani::cli
