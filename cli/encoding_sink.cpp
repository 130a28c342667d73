#include "encoding_sink.h"

#include "errors.h"

#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <cstdio>

namespace orvani::cli {
namespace {

constexpr std::size_t kPiece = std::size_t{1} << 16;

std::string Describe(const UChar* character, std::int8_t length) {
    std::string utf8(U8_MAX_LENGTH * 2, '\0');
    std::int32_t written = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(utf8.data(), static_cast<std::int32_t>(utf8.size()), &written, character,
                       length, 0xFFFD, nullptr, &status);
    utf8.resize(U_SUCCESS(status) ? static_cast<std::size_t>(written) : 0);
    std::int32_t i = 0;
    UChar32 c = 0;
    U16_NEXT_UNSAFE(character, i, c);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    return "'" + utf8 + "' (" + code + ")";
}

// Where a whole UTF-8 text ends: before a last character that the next write completes.
std::size_t CompletePrefix(std::string_view utf8) {
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, utf8.size()); ++back) {
        const auto byte = static_cast<unsigned char>(utf8[utf8.size() - back]);
        if (!U8_IS_TRAIL(byte)) {
            const bool whole = !U8_IS_LEAD(byte) || U8_COUNT_TRAIL_BYTES(byte) + 1u <= back;
            return whole ? utf8.size() : utf8.size() - back;
        }
    }
    return utf8.size();
}

} // namespace

EncodingSink::EncodingSink(ByteSink& out, const std::string& encoding)
    : out_(out), encoding_(encoding), converter_(OpenConverter(encoding)), units_(kPiece, u'\0'),
      bytes_(kPiece * 4, '\0') {
    if (!converter_) {
        throw FilterError("standard output", "unknown encoding '" + encoding + "'");
    }
}

void EncodingSink::startText(const std::string& input) {
    input_ = input;
    line_ = 1;
    column_ = 1;
}

void EncodingSink::write(std::string_view utf8) {
    std::string joined;
    if (!partial_.empty()) {
        joined = partial_ + std::string(utf8);
        utf8 = joined;
        partial_.clear();
    }
    const std::size_t whole = CompletePrefix(utf8);
    partial_.assign(utf8.substr(whole));
    utf8 = utf8.substr(0, whole);
    while (!utf8.empty()) {
        // A piece of at most kPiece bytes holds at most kPiece UTF-16 units; it must not end
        // inside a character.
        std::size_t piece = std::min(utf8.size(), kPiece);
        piece = CompletePrefix(utf8.substr(0, piece));
        std::int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strFromUTF8WithSub(units_.data(), static_cast<std::int32_t>(units_.size()), &length,
                             utf8.data(), static_cast<std::int32_t>(piece), 0xFFFD, nullptr,
                             &status);
        CheckIcu(status, input_, "reading UTF-8");
        encode(units_.data(), static_cast<std::size_t>(length), false);
        utf8.remove_prefix(piece);
    }
}

void EncodingSink::finish() {
    encode(nullptr, 0, true);
}

void EncodingSink::encode(const char16_t* units, std::size_t length, bool flush) {
    const UChar* source = units;
    const UChar* const end = units + length;
    for (;;) {
        char* target = bytes_.data();
        UErrorCode status = U_ZERO_ERROR;
        ucnv_fromUnicode(converter_.get(), &target, bytes_.data() + bytes_.size(), &source, end,
                         nullptr, flush, &status);
        out_.write({bytes_.data(), static_cast<std::size_t>(target - bytes_.data())});
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            continue;
        }
        if (U_SUCCESS(status)) {
            advance(units, length);
            return;
        }
        // The converter stopped just past the character it could not write.
        UChar invalid[4];
        std::int8_t invalidLength = 4;
        UErrorCode ignored = U_ZERO_ERROR;
        ucnv_getInvalidUChars(converter_.get(), invalid, &invalidLength, &ignored);
        advance(units, static_cast<std::size_t>(source - units) - std::size_t(invalidLength));
        throw FilterError(input_, "cannot write " + Describe(invalid, invalidLength) + " in " +
                                      encoding_ + ": line " + std::to_string(line_) + ", column " +
                                      std::to_string(column_) + " of the converted text");
    }
}

// Moves the position in the converted text past `units`.
void EncodingSink::advance(const char16_t* units, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if (units[i] == u'\n') {
            ++line_;
            column_ = 1;
        } else if (!U16_IS_TRAIL(units[i])) {
            ++column_;
        }
    }
}

} // namespace orvani::cli
