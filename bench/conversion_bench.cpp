// Throughput of the core for every pair of standards, on texts of growing size, and the cost
// of the short texts that programs convert one at a time (a word, a name, a cell of a table).
//   conversion_bench [--sizes=BYTES,...] [Google Benchmark flags]

#include "corpus.h"

#include <benchmark/benchmark.h>
#include <orvani/internal/utf8.h>
#include <orvani/pipeline.h>

#include <cstdlib>
#include <sstream>
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
    return {utf8.size(), orvani::internal::ToCodePoints(utf8)};
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

// One short text, converted whole: what a program pays for each word it converts.
void ConvertShortText(benchmark::State& state) {
    const std::string text = "Kheetsoy dhath"; // 14 letters
    for (auto _ : state) {
        benchmark::DoNotOptimize(ConvertUtf8(text, Standard::Old, Standard::New));
    }
}

// A million short texts, one word each (a column of a word list), each converted whole.
void ConvertMillionWords(benchmark::State& state) {
    std::vector<std::string> words;
    std::istringstream corpus(orvani::bench::MakeCorpus(Standard::Old, 8 << 20));
    for (std::string word; words.size() < 1'000'000 && corpus >> word;) {
        words.push_back(std::move(word));
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (const std::string& word : words) {
            const orvani::Utf8Conversion result = ConvertUtf8(word, Standard::Old, Standard::New);
            bytes += result.text.size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["texts"] = static_cast<double>(words.size());
    state.counters["texts/s"] = benchmark::Counter(static_cast<double>(words.size()),
                                                   benchmark::Counter::kIsIterationInvariantRate);
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
    benchmark::RegisterBenchmark("Short text (Old to New, 14 letters)", ConvertShortText);
    benchmark::RegisterBenchmark("A million words (Old to New, each on its own)",
                                 ConvertMillionWords)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
