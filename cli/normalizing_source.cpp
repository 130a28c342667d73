#include "normalizing_source.h"

#include "errors.h"

#include <orvani/normalization.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

namespace orvani::cli {
namespace {

// Past this, a tail that never reaches a character with a normalisation boundary (thousands
// of combining marks) is normalised as it stands rather than held without end.
constexpr std::size_t kLongestHeldTail = 4096;

// Where the last character of `text` starts.
std::size_t StartOfLastCharacter(std::string_view text) {
    std::size_t i = text.size();
    while (i > 0 && text.size() - i < U8_MAX_LENGTH) {
        --i;
        if (!U8_IS_TRAIL(static_cast<unsigned char>(text[i]))) {
            return i;
        }
    }
    return text.size();
}

// Where a sequence starts that the end of `text` cuts off, if one does.
std::optional<std::size_t> CutOffTail(std::string_view text) {
    const std::size_t last = StartOfLastCharacter(text);
    const auto lead = static_cast<unsigned char>(last < text.size() ? text[last] : 0);
    const bool cutOff = U8_IS_LEAD(lead) &&
                        static_cast<std::size_t>(U8_COUNT_TRAIL_BYTES(lead)) >= text.size() - last;
    return cutOff ? std::optional(last) : std::nullopt;
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

std::optional<std::size_t> FirstInvalid(std::string_view text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = 0; i < length;) {
        const std::int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) {
            return static_cast<std::size_t>(start);
        }
    }
    return std::nullopt;
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
        if (size < held_.size() + U8_MAX_LENGTH) {
            scratch_.resize(held_.size() + U8_MAX_LENGTH);
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
    const std::uint64_t textStart = consumed_ - length; // its byte in the input
    if (!checking_ && !NfcMayChange(text)) {
        const std::size_t done = last ? text.size() : StartOfOpenTail(text);
        held_.assign(text.substr(done));
        return done;
    }
    std::size_t stable = last ? text.size() : NfcStablePrefix(text);
    if (stable == 0 && text.size() >= kLongestHeldTail) {
        stable = StartOfLastCharacter(text);
    }
    if (const auto bad = FirstInvalid(text.substr(0, stable))) {
        fault_ = std::make_exception_ptr(InvalidUtf8(name(), textStart + *bad, text.substr(*bad)));
        ended_ = true;
        stable = *bad;
        held_.clear();
    } else {
        held_.assign(text.substr(stable));
    }
    ready_ = ToNfc(text.substr(0, stable));
    readyFrom_ = 0;
    checking_ = checking_ || ready_.size() != stable;
    return 0;
}

std::size_t NormalizingSource::handOn(char* into, std::size_t size) {
    const std::size_t count = std::min(size, ready_.size() - readyFrom_);
    std::memcpy(into, ready_.data() + readyFrom_, count);
    readyFrom_ += count;
    return count;
}

} // namespace orvani::cli
