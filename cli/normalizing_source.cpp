#include "normalizing_source.h"

#include "errors.h"

#include <orvani/internal/utf8.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

namespace orvani::cli {
namespace {

using internal::DecodeUtf8;
using internal::IsUtf8Continuation;
using internal::kLongestUtf8;
using internal::Utf8Status;

// Where the last character of `text` starts.
std::size_t StartOfLastCharacter(std::string_view text) {
    std::size_t i = text.size();
    while (i > 0 && text.size() - i < kLongestUtf8) {
        --i;
        if (!IsUtf8Continuation(text[i])) {
            return i;
        }
    }
    return text.size();
}

// Where a sequence starts that the end of `text` cuts off, if one does.
std::optional<std::size_t> CutOffTail(std::string_view text) {
    const std::size_t last = StartOfLastCharacter(text);
    if (last < text.size() && DecodeUtf8(text, last).status == Utf8Status::Truncated) {
        return last;
    }
    return std::nullopt;
}

// Where the tail starts that the next piece may still change: the last whole character, which
// a combining mark may follow, and after it a character that the end cuts off, if any. What
// is handed on must not end inside a sequence either, even an invalid one, or the converter
// would wait for its end and find the fault one piece late.
std::size_t StartOfOpenTail(std::string_view text) {
    std::size_t start = CutOffTail(text).value_or(text.size());
    start = StartOfLastCharacter(text.substr(0, start));
    while (const auto cut = CutOffTail(text.substr(0, start))) {
        start = *cut;
    }
    return start;
}

// Where `text` stops being UTF-8, if it does: at `bad`, or, where more text is to come, at a
// character cut off by its end, which goes in front of the next piece.
struct Validity {
    std::size_t valid;
    std::optional<std::size_t> bad;
};

Validity Check(std::string_view text, bool last) {
    const std::size_t bad = internal::FindInvalidUtf8(text);
    if (bad == std::string_view::npos) {
        return {text.size(), std::nullopt};
    }
    if (!last && DecodeUtf8(text, bad).status == Utf8Status::Truncated) {
        return {bad, std::nullopt};
    }
    return {bad, bad};
}

} // namespace

std::size_t NormalizingSource::read(char* into, std::size_t size) {
    for (;;) {
        if (readyFrom_ < ready_.size()) {
            return handOn(into, size);
        }
        if (fault_) {
            ended_ = true;
            std::rethrow_exception(std::exchange(fault_, nullptr));
        }
        if (ended_ || size == 0) {
            return 0;
        }
        // The held tail goes in front of what is read now, in the reader's buffer where it
        // has room.
        char* buffer = into;
        std::size_t room = size;
        if (size < held_.size() + kLongestUtf8) {
            scratch_.resize(held_.size() + kLongestUtf8);
            buffer = scratch_.data();
            room = scratch_.size();
        }
        std::memcpy(buffer, held_.data(), held_.size());
        std::size_t got = 0;
        try {
            got = in_.read(buffer + held_.size(), room - held_.size());
        } catch (const FilterError&) {
            fault_ = std::current_exception();
        }
        consumed_ += got;
        const std::size_t length = held_.size() + got;
        const bool last = got == 0;
        ended_ = last && !fault_;
        const std::size_t inPlace = take(buffer, length, last);
        if (inPlace != 0) {
            if (buffer == into) {
                return inPlace;
            }
            ready_.assign(buffer, inPlace);
            readyFrom_ = 0;
        }
    }
}

std::size_t NormalizingSource::take(char* buffer, std::size_t length, bool last) {
    const std::string_view text(buffer, length);
    if (!checking_ && nfc_.held().empty() && !NfcMayChange(text)) {
        const std::size_t done = last ? text.size() : StartOfOpenTail(text);
        held_.assign(text.substr(done));
        return done;
    }
    ready_.clear();
    readyFrom_ = 0;
    const Validity validity = Check(text, last || fault_ != nullptr);
    nfc_.feed(text.substr(0, validity.valid), ready_);
    normalizedIn_ += validity.valid;
    if (validity.bad) {
        const std::uint64_t textStart = consumed_ - length; // its byte in the input
        fault_ = std::make_exception_ptr(
            InvalidUtf8(name(), textStart + *validity.bad, text.substr(*validity.bad)));
        ended_ = true;
    }
    if (last || validity.bad) {
        nfc_.finish(ready_);
    }
    normalizedOut_ += ready_.size();
    checking_ = checking_ || normalizedOut_ + nfc_.held().size() != normalizedIn_;
    std::string cutOff(validity.bad ? std::string_view() : text.substr(validity.valid));
    held_.clear();
    if (!checking_) {
        // Nothing has moved: the tail goes back to the road that hands text on in place.
        held_ = nfc_.takeHeld();
        normalizedIn_ -= held_.size();
    }
    held_ += cutOff;
    return 0;
}

std::size_t NormalizingSource::handOn(char* into, std::size_t size) {
    const std::size_t count = std::min(size, ready_.size() - readyFrom_);
    std::memcpy(into, ready_.data() + readyFrom_, count);
    readyFrom_ += count;
    return count;
}

} // namespace orvani::cli
