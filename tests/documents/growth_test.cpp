// Hostile documents that once took time growing with the square of their size, made ten and
// a hundred times as large, convert whole. How their time grows is measured, not asserted
// here, where a busy machine would make it flake: bench/documents_bench.cpp fits the curves.

#include "sample_documents.h"

#include <gtest/gtest.h>
#include <orvani/documents.h>

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

// Counts what each converted to; every unit's "sh" is converted but the page's, kept from
// translation all but the last.
TEST(Growth, HostileDocumentsTenAndAHundredTimesAsLargeConvertWhole) {
    const struct {
        const char* name;
        std::function<std::string(int)> make;
        DocumentFormat format;
        bool everyUnitConverted;
    } cases[] = {
        {"declarations", ManyDeclarations, DocumentFormat::Docx, true},
        {"nested declarations", NestedDeclarations, DocumentFormat::Docx, true},
        {"translate", UntranslatedParagraphs, DocumentFormat::Html, false},
    };
    const DocumentSettings settings;
    for (const auto& c : cases) {
        for (const int units : {1000, 10'000}) {
            std::string converted = ConvertDocument(c.make(units), c.format, settings);
            if (c.format == DocumentFormat::Docx) {
                for (auto& [name, part] : testing::ReadZip(converted)) {
                    if (name == "word/document.xml") {
                        converted = std::move(part);
                    }
                }
            }
            std::size_t letters = 0;
            for (auto at = converted.find("\u0161"); at != std::string::npos;
                 at = converted.find("\u0161", at + 1)) {
                ++letters;
            }
            EXPECT_EQ(letters, c.everyUnitConverted ? static_cast<std::size_t>(units) : 1)
                << c.name << " × " << units;
        }
    }
}

} // namespace
} // namespace orvani
