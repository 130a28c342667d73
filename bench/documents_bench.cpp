// Hostile documents of growing size, which once took time growing with the square of it:
// Google Benchmark fits each to a curve, and O(N) is what they should show.
//
//     documents_bench --benchmark_filter=Declarations

#include "sample_documents.h"

#include <benchmark/benchmark.h>
#include <orvani/documents.h>

#include <cstdint>
#include <string>

namespace {

using orvani::DocumentFormat;
using orvani::testing::MakeDocx;

const std::string kParagraph = "<w:p><w:r><w:t>sh</w:t></w:r></w:p>";

std::string Repeated(const std::string& text, std::int64_t count) {
    std::string out;
    for (std::int64_t i = 0; i < count; ++i) {
        out += text;
    }
    return out;
}

std::string Declaration(std::int64_t i) {
    return " xmlns:p" + std::to_string(i) + "=\"urn:x-" + std::to_string(i) + "\"";
}

// N declarations on one element, and a paragraph for each ten.
std::string ManyDeclarations(std::int64_t n) {
    std::string start = "<w:customXml";
    for (std::int64_t i = 0; i < n; ++i) {
        start += Declaration(i);
    }
    return MakeDocx(start + ">" + Repeated(kParagraph, n / 10) + "</w:customXml>");
}

// N/25 elements nested, each with a declaration, and N paragraphs inside.
std::string NestedDeclarations(std::int64_t n) {
    std::string body;
    for (std::int64_t i = 0; i < n / 25; ++i) {
        body += "<w:customXml" + Declaration(i) + ">";
    }
    return MakeDocx(body + Repeated(kParagraph, n) + Repeated("</w:customXml>", n / 25));
}

// N paragraphs kept from translation, each ending the one before.
std::string UntranslatedParagraphs(std::int64_t n) {
    return Repeated("<p translate=no>sh", n);
}

void Convert(benchmark::State& state, std::string (*make)(std::int64_t), DocumentFormat format) {
    const std::string document = make(state.range(0));
    const orvani::DocumentSettings settings;
    for (auto _ : state) {
        benchmark::DoNotOptimize(orvani::ConvertDocument(document, format, settings));
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * document.size()));
}

void Declarations(benchmark::State& state) {
    Convert(state, ManyDeclarations, DocumentFormat::Docx);
}
void NestedDeclarationsBench(benchmark::State& state) {
    Convert(state, NestedDeclarations, DocumentFormat::Docx);
}
void TranslateRegions(benchmark::State& state) {
    Convert(state, UntranslatedParagraphs, DocumentFormat::Html);
}

BENCHMARK(Declarations)->RangeMultiplier(10)->Range(1000, 100'000)->Complexity();
BENCHMARK(NestedDeclarationsBench)->RangeMultiplier(10)->Range(1000, 100'000)->Complexity();
BENCHMARK(TranslateRegions)->RangeMultiplier(10)->Range(1000, 100'000)->Complexity();

} // namespace

BENCHMARK_MAIN();
