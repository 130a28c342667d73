#include "rtf_tokenizer.h"

#include <orvani/documents.h>

#include <string>

namespace orvani::documents {
namespace {

// RTF's own limits: control words have at most 32 letters and parameters are 32-bit numbers.
constexpr std::size_t kLongestWord = 32;
constexpr std::size_t kLongestNumber = 10;

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

[[noreturn]] void Fail(std::size_t at, const std::string& reason) {
    throw DocumentError("", reason + " at byte " + std::to_string(at));
}

} // namespace

RtfToken RtfTokenizer::next() {
    while (at_ < rtf_.size() && (rtf_[at_] == '\r' || rtf_[at_] == '\n' || rtf_[at_] == '\0')) {
        ++at_;
    }
    const std::size_t begin = at_;
    if (at_ == rtf_.size()) {
        return {.kind = RtfToken::Kind::End, .begin = begin, .end = begin};
    }
    switch (rtf_[at_]) {
    case '{':
        ++at_;
        return {.kind = RtfToken::Kind::GroupStart, .begin = begin, .end = at_};
    case '}':
        ++at_;
        return {.kind = RtfToken::Kind::GroupEnd, .begin = begin, .end = at_};
    case '\\':
        return control(begin);
    default:
        break;
    }
    const std::size_t stop = rtf_.find_first_of("\\{}\r\n", at_);
    at_ = stop == std::string_view::npos ? rtf_.size() : stop;
    return {.kind = RtfToken::Kind::Text,
            .text = rtf_.substr(begin, at_ - begin),
            .begin = begin,
            .end = at_};
}

RtfToken RtfTokenizer::control(std::size_t begin) {
    ++at_;
    if (at_ == rtf_.size()) {
        Fail(begin, "a backslash that ends the document");
    }
    const char first = rtf_[at_];
    if (!IsLetter(first)) {
        ++at_;
        if (first == '\'') {
            const int high = at_ < rtf_.size() ? HexValue(rtf_[at_]) : -1;
            const int low = at_ + 1 < rtf_.size() ? HexValue(rtf_[at_ + 1]) : -1;
            if (high < 0 || low < 0) {
                Fail(begin, "\\' without two hexadecimal digits");
            }
            at_ += 2;
            return {.kind = RtfToken::Kind::Hex,
                    .byte = static_cast<unsigned char>(high * 16 + low),
                    .begin = begin,
                    .end = at_};
        }
        return {.kind = RtfToken::Kind::ControlSymbol,
                .word = rtf_.substr(begin + 1, 1),
                .begin = begin,
                .end = at_};
    }
    const std::size_t letters = at_;
    while (at_ < rtf_.size() && IsLetter(rtf_[at_])) {
        ++at_;
    }
    if (at_ - letters > kLongestWord) {
        Fail(begin, "a control word longer than " + std::to_string(kLongestWord) + " letters");
    }
    RtfToken token{.kind = RtfToken::Kind::ControlWord,
                   .word = rtf_.substr(letters, at_ - letters),
                   .begin = begin};
    const bool negative = at_ < rtf_.size() && rtf_[at_] == '-';
    const std::size_t digits = at_ + (negative ? 1 : 0);
    std::size_t end = digits;
    while (end < rtf_.size() && IsDigit(rtf_[end])) {
        ++end;
    }
    if (end > digits) {
        if (end - digits > kLongestNumber) {
            Fail(begin, "a number longer than " + std::to_string(kLongestNumber) + " digits");
        }
        std::int64_t value = 0;
        for (std::size_t i = digits; i < end; ++i) {
            value = value * 10 + (rtf_[i] - '0');
        }
        if (value > std::int64_t{1} << 31 || (!negative && value == std::int64_t{1} << 31)) {
            Fail(begin, "a number too large for RTF");
        }
        token.hasParameter = true;
        token.parameter = static_cast<std::int32_t>(negative ? -value : value);
        at_ = end;
    }
    if (at_ < rtf_.size() && rtf_[at_] == ' ') {
        ++at_;
        token.delimited = true;
    }
    token.end = at_;
    return token.word == "bin" ? binary(token) : token;
}

RtfToken RtfTokenizer::binary(RtfToken word) {
    const std::size_t size =
        word.hasParameter && word.parameter > 0 ? static_cast<std::size_t>(word.parameter) : 0;
    if (size > rtf_.size() - at_) {
        Fail(word.begin, "\\bin" + std::to_string(size) + " runs past the end of the document");
    }
    const std::size_t begin = at_;
    at_ += size;
    return {.kind = RtfToken::Kind::Binary,
            .text = rtf_.substr(begin, size),
            .begin = word.begin,
            .end = at_};
}

} // namespace orvani::documents
