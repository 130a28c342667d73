#pragma once

#include <orvani/documents.h>
#include <orvani/normalization.h>
#include <orvani/pipeline.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvani::documents {

// One paragraph's text, which formatting cuts into runs, converted as one text: a word split
// over a plain and a bold run converts as if it were whole, and an accent in a run of its own
// composes with the letter before it. Each character written stays in the run of the
// character it came from, or of the one that finished its two-letter spelling; a letter and
// the accents that compose with it count as the letter's.
//
//     ParagraphConverter paragraph(settings);
//     const std::size_t first = paragraph.add("Khee");
//     const std::size_t second = paragraph.add("tsoy");
//     paragraph.finish();
//     paragraph.text(first) == "xí", paragraph.text(second) == "có"
class ParagraphConverter {
public:
    explicit ParagraphConverter(const DocumentSettings& settings);

    // Adds the next run's text (UTF-8, markup already decoded) and returns its number.
    std::size_t add(std::string_view text);
    // Adds a run whose text stays as it is, apart from the runs around it; returns its number.
    std::size_t keep(std::string_view text);
    // A place that no spelling spans, such as a tab, a line break or a note's own paragraphs:
    // what is held for the next run is written into the runs it belongs to now.
    void breakHere();
    // Writes what is held; then text() holds every run's converted text.
    void finish();

    [[nodiscard]] const std::string& text(std::size_t run) const { return runs_[run]; }
    [[nodiscard]] std::size_t size() const noexcept { return runs_.size(); }

private:
    // Converts `text`, normalised, as the next text of run `run`.
    void convertInto(std::size_t run, std::string_view text);
    bool write(std::string_view utf8, std::string& out);

    bool normalize_;
    NfcStream nfc_;
    std::size_t heldRun_ = 0; // the run where the text that nfc_ holds begins
    Converter converter_;
    std::function<void(std::string_view)> observe_;
    std::vector<std::string> runs_;
    std::size_t lastFed_ = 0; // the last run with text: any letter held comes from it
    bool fed_ = false;
    std::string normal_;
    std::string scratch_;
};

} // namespace orvani::documents
