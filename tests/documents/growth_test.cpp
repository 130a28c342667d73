// Hostile documents that once took time growing with the square of their size, each made ten
// and a hundred times as large: the larger takes under 35 times as long (CPU time, the
// fastest of three), where work in proportion takes ten and squares a hundred. The curves
// themselves are in bench/documents_bench.cpp.

#include "sample_documents.h"

#include <gtest/gtest.h>
#include <orvani/documents.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <string>

namespace orvani {
namespace {

using testing::MakeDocx;

const std::string kParagraph = "<w:p><w:r><w:t>sh</w:t></w:r></w:p>";

std::string Declarations(int from, int count) {
    std::string text;
    for (int i = from; i < from + count; ++i) {
        text += " xmlns:p" + std::to_string(i) + "=\"urn:x-" + std::to_string(i) + "\"";
    }
    return text;
}

std::string Repeated(const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += text;
    }
    return out;
}

// `units` declarations on one element, and as many paragraphs in it.
std::string ManyDeclarations(int units) {
    return MakeDocx("<w:customXml" + Declarations(0, units) + ">" + Repeated(kParagraph, units) +
                    "</w:customXml>");
}

// Elements nested 0.4 levels a unit deep, each with a declaration, and `units` paragraphs in
// the innermost.
std::string NestedDeclarations(int units) {
    std::string body;
    const int depth = units * 2 / 5;
    for (int i = 0; i < depth; ++i) {
        body += "<w:customXml" + Declarations(i, 1) + ">";
    }
    body += Repeated(kParagraph, units);
    return MakeDocx(body + Repeated("</w:customXml>", depth));
}

// Paragraphs kept from translation, each ending the one before it as HTML lets a page do.
std::string UntranslatedParagraphs(int units) {
    return Repeated("<p translate=no>sh", units) + "<p>sh";
}

double FastestCpuSeconds(const std::function<void()>& work) {
    double fastest = 1e30;
    for (int i = 0; i < 3; ++i) {
        const std::clock_t start = std::clock();
        work();
        fastest = std::min(fastest, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
    }
    return fastest;
}

TEST(Growth, HostileDocumentsTakeTimeInProportionToTheirSize) {
    const struct {
        const char* name;
        std::function<std::string(int)> make;
        DocumentFormat format;
        std::string ending; // of the larger one converted
    } cases[] = {
        {"declarations", ManyDeclarations, DocumentFormat::Docx, ""},
        {"nested declarations", NestedDeclarations, DocumentFormat::Docx, ""},
        {"translate", UntranslatedParagraphs, DocumentFormat::Html, "<p translate=no>sh<p>\u0161"},
    };
    DocumentSettings settings;
    for (const auto& c : cases) {
        const std::string ten = c.make(1000);
        const std::string hundred = c.make(10'000);
        std::string converted;
        const double tenTime =
            FastestCpuSeconds([&] { converted = ConvertDocument(ten, c.format, settings); });
        const double hundredTime =
            FastestCpuSeconds([&] { converted = ConvertDocument(hundred, c.format, settings); });
        EXPECT_TRUE(converted.ends_with(c.ending)) << c.name;
        EXPECT_LT(hundredTime, 35 * std::max(tenTime, 0.001))
            << c.name << ": " << tenTime << " s, then " << hundredTime << " s";
    }
}

} // namespace
} // namespace orvani
