// Throughput of the core for every pair of standards, on texts of growing size.
//   conversion_bench [--sizes=BYTES,...] [Google Benchmark flags]

#include "corpus.h"

#include <benchmark/benchmark.h>
#include <orvani/pipeline.h>
#include <unicode/utf8.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using orvani::Standard;

struct Input {
    std::size_t utf8Bytes;
    std::u32string text;
};

Input MakeInput(Standard standard, std::size_t bytes) {
    const std::string utf8 = orvani::bench::MakeCorpus(standard, bytes);
    Input input{utf8.size(), {}};
    const auto* data = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const auto length = static_cast<std::int32_t>(utf8.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT_OR_FFFD(data, i, length, c);
        input.text.push_back(static_cast<char32_t>(c));
    }
    return input;
}

void Convert(benchmark::State& state, Standard from, Standard to) {
    const Input input = MakeInput(from, static_cast<std::size_t>(state.range(0)));
    const orvani::ConversionOptions options; // the window's start state
    for (auto _ : state) {
        std::u32string out = orvani::ConvertText(input.text, from, to, options);
        benchmark::DoNotOptimize(out.data());
    }
    using benchmark::Counter;
    state.counters["MB/s"] = Counter(static_cast<double>(input.utf8Bytes),
                                     Counter::kIsIterationInvariantRate, Counter::OneK::kIs1000);
    state.counters["chars/s"] = Counter(static_cast<double>(input.text.size()),
                                        Counter::kIsIterationInvariantRate, Counter::OneK::kIs1000);
}

// The UTF-8 road, as the filter takes it: pieces of 256 KiB into one reused buffer.
void ConvertUtf8(benchmark::State& state, Standard from, Standard to) {
    const std::string input =
        orvani::bench::MakeCorpus(from, static_cast<std::size_t>(state.range(0)));
    constexpr std::size_t kPiece = std::size_t{1} << 18;
    orvani::Converter converter(from, to, {});
    std::vector<char> out(converter.maxUtf8Output(kPiece));
    std::size_t characters = 0;
    for (const char byte : input) {
        characters += (static_cast<unsigned char>(byte) & 0xC0) != 0x80 ? 1 : 0;
    }
    for (auto _ : state) {
        for (std::size_t start = 0; start < input.size(); start += kPiece) {
            const std::string_view piece = std::string_view(input).substr(start, kPiece);
            const auto step = converter.convertUtf8(piece, out);
            benchmark::DoNotOptimize(step);
            // The generated text splits no character at a piece boundary only by luck; a
            // benchmark may ignore the few bytes a cut-off character leaves unread.
        }
        benchmark::DoNotOptimize(converter.finishUtf8(out));
        benchmark::ClobberMemory();
    }
    using benchmark::Counter;
    state.counters["MB/s"] = Counter(static_cast<double>(input.size()),
                                     Counter::kIsIterationInvariantRate, Counter::OneK::kIs1000);
    state.counters["chars/s"] = Counter(static_cast<double>(characters),
                                        Counter::kIsIterationInvariantRate, Counter::OneK::kIs1000);
}

std::vector<std::int64_t> TakeSizes(int& argc, char* argv[]) {
    std::vector<std::int64_t> sizes{64 << 10, 1 << 20, 16 << 20};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--sizes=", 0) != 0) {
            continue;
        }
        sizes.clear();
        for (const char* p = arg.c_str() + 8; *p != '\0';) {
            char* end = nullptr;
            sizes.push_back(std::strtoll(p, &end, 10));
            p = *end == ',' ? end + 1 : end;
        }
        for (int j = i; j + 1 < argc; ++j) {
            argv[j] = argv[j + 1];
        }
        --argc;
        break;
    }
    return sizes;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::int64_t> sizes = TakeSizes(argc, argv);
    for (const Standard from : orvani::kStandards) {
        for (const Standard to : orvani::kStandards) {
            const std::string name = std::string(orvani::DisplayName(from)) + " to " +
                                     std::string(orvani::DisplayName(to));
            for (auto* bench : {benchmark::RegisterBenchmark((name + " (code points)").c_str(),
                                                             Convert, from, to),
                                benchmark::RegisterBenchmark((name + " (UTF-8)").c_str(),
                                                             ConvertUtf8, from, to)}) {
                for (const std::int64_t size : sizes) {
                    bench->Arg(size);
                }
                bench->Unit(benchmark::kMillisecond);
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
