#include "paragraph.h"

#include <orvani/internal/utf8.h>

#include <span>

namespace orvani::documents {
namespace {

constexpr std::size_t kKeptRoom = std::size_t{1} << 20;

} // namespace

ParagraphConverter::ParagraphConverter(const DocumentSettings& settings)
    : normalize_(settings.normalize), converter_(settings.from, settings.to, settings.options),
      observe_(settings.observeText) {}

std::size_t ParagraphConverter::add(std::string_view text) {
    const std::size_t run = runs_.size();
    runs_.emplace_back();
    if (!normalize_) {
        convertInto(run, text);
        return run;
    }
    normal_.clear();
    normal_.reserve(text.size()); // NFC seldom makes text longer: no copies as it grows
    const bool heldBefore = !nfc_.held().empty();
    const std::size_t earlier = nfc_.feed(text, normal_);
    // What was held, now complete, belongs to the run it began in; what is held now begins
    // in this one, unless this run only went on with what was held.
    const std::string_view normal = normal_;
    convertInto(heldRun_, normal.substr(0, earlier));
    if (earlier != 0 || !heldBefore) {
        heldRun_ = run;
    }
    convertInto(run, normal.substr(earlier));
    // A long run's normal form is not kept for the next.
    if (normal_.capacity() > kKeptRoom) {
        normal_ = std::string();
    }
    return run;
}

std::size_t ParagraphConverter::keep(std::string_view text) {
    breakHere();
    runs_.emplace_back(text);
    return runs_.size() - 1;
}

void ParagraphConverter::breakHere() {
    if (normalize_) {
        normal_.clear();
        nfc_.finish(normal_);
        convertInto(heldRun_, normal_);
    }
    scratch_.resize(converter_.maxUtf8Output(0));
    scratch_.resize(converter_.finishUtf8(scratch_).written);
    if (fed_) {
        runs_[lastFed_] += scratch_;
    }
}

void ParagraphConverter::finish() {
    breakHere();
}

void ParagraphConverter::convertInto(std::size_t run, std::string_view text) {
    if (text.empty()) {
        return;
    }
    // What the letter held from the last run writes if nothing pairs with it: unless the core
    // says it paired, the output of this text begins with it, and it belongs to the last run.
    std::string heldAlone;
    if (fed_) {
        Converter alone = converter_;
        heldAlone.resize(alone.maxUtf8Output(0));
        heldAlone.resize(alone.finishUtf8(heldAlone).written);
    }
    if (observe_) {
        observe_(text);
    }
    // Written straight into the run, so that a long run is not held twice.
    std::string& out = runs_[run];
    const std::size_t from = out.size();
    const bool heldPaired = write(text, out);
    if (!heldPaired && !heldAlone.empty() && run != lastFed_) {
        // As written: with capitals kept, the next letter may have put it in capitals.
        runs_[lastFed_] += out.substr(from, heldAlone.size());
        out.erase(from, heldAlone.size());
    }
    lastFed_ = run;
    fed_ = true;
}

// Appends the conversion of `utf8`, each sequence that is not UTF-8 as U+FFFD; returns
// whether the letter held before it paired with its first character.
bool ParagraphConverter::write(std::string_view utf8, std::string& out) {
    // In blocks, so that the room reserved ahead of the output stays small.
    constexpr std::size_t kBlock = std::size_t{1} << 16;
    out.reserve(out.size() + utf8.size() + converter_.maxUtf8Output(kBlock));
    bool first = true;
    bool heldPaired = false;
    while (!utf8.empty()) {
        const std::string_view block = utf8.substr(0, kBlock);
        const bool last = block.size() == utf8.size();
        const std::size_t used = out.size();
        out.resize(used + converter_.maxUtf8Output(block.size()));
        const Utf8Progress step = converter_.convertUtf8(block, std::span(out).subspan(used));
        heldPaired = first ? step.heldPaired : heldPaired;
        first = false;
        out.resize(used + step.written);
        utf8.remove_prefix(step.read);
        // A character that the block's end cuts off is read whole with the next block.
        if (step.stop == Utf8Stop::Invalid || (step.stop == Utf8Stop::CutOff && last)) {
            utf8.remove_prefix(internal::DecodeUtf8(utf8, 0).length);
            write("\uFFFD", out);
        }
    }
    return heldPaired;
}

} // namespace orvani::documents
