#include "text_encoding.h"

#include <orvani/documents.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <cstring>
#include <memory>
#include <vector>

namespace orvani::documents {
namespace {

constexpr std::size_t kPiece = std::size_t{1} << 16;

struct ConverterClose {
    void operator()(UConverter* converter) const noexcept { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterClose>;

Converter Open(const std::string& encoding) {
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(encoding.c_str(), &status));
    return U_SUCCESS(status) ? std::move(converter) : nullptr;
}

Converter OpenOrThrow(const std::string& encoding, const std::string& part) {
    Converter converter = Open(encoding);
    if (!converter) {
        throw DocumentError(part, "is in the encoding " + encoding + ", which is not known");
    }
    return converter;
}

// ICU fails here only where the system does (memory): every buffer is sized for its input.
void Check(UErrorCode status, const std::string& part) {
    if (U_FAILURE(status) && status != U_BUFFER_OVERFLOW_ERROR) {
        throw DocumentError(part, std::string("cannot be converted: ") + u_errorName(status));
    }
}

void AppendUtf8(std::string& out, const UChar* units, std::size_t length, const std::string& part) {
    const std::size_t used = out.size();
    out.resize(used + length * 3);
    std::int32_t written = 0;
    UErrorCode status = U_ZERO_ERROR;
    // An unpaired surrogate (UTF-16 can hold one) can only be U+FFFD in UTF-8.
    u_strToUTF8WithSub(out.data() + used, static_cast<std::int32_t>(length * 3), &written, units,
                       static_cast<std::int32_t>(length), 0xFFFD, nullptr, &status);
    Check(status, part);
    out.resize(used + static_cast<std::size_t>(written));
}

// The longest start of `utf8` that ends between two characters.
std::size_t WholeCharacters(std::string_view utf8) {
    std::size_t lead = utf8.size();
    while (lead > 0 && utf8.size() - lead < 3 &&
           (static_cast<unsigned char>(utf8[lead - 1]) & 0xC0) == 0x80) {
        --lead;
    }
    const auto c = lead == 0 ? 0 : static_cast<unsigned char>(utf8[lead - 1]);
    if (c < 0xC0) {
        return utf8.size();
    }
    const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    return utf8.size() - (lead - 1) >= length ? utf8.size() : lead - 1;
}

} // namespace

bool IsKnownEncoding(const std::string& encoding) {
    return Open(encoding) != nullptr;
}

bool IsWideEncoding(const std::string& encoding) {
    const Converter converter = Open(encoding);
    return converter && ucnv_getMinCharSize(converter.get()) > 1;
}

bool IsUtf8Encoding(const std::string& encoding) {
    const Converter converter = Open(encoding);
    UErrorCode status = U_ZERO_ERROR;
    return converter && std::strcmp(ucnv_getName(converter.get(), &status), "UTF-8") == 0;
}

std::string DecodeText(std::string_view bytes, const std::string& encoding, const std::string& part,
                       std::size_t firstByte) {
    const Converter converter = OpenOrThrow(encoding, part);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
    Check(status, part);
    std::string out;
    out.reserve(bytes.size());
    std::vector<UChar> units(kPiece);
    const char* source = bytes.data();
    const char* const end = bytes.data() + bytes.size();
    std::size_t carried = 0; // a lead surrogate whose trail the next round brings
    for (;;) {
        UChar* target = units.data() + carried;
        status = U_ZERO_ERROR;
        ucnv_toUnicode(converter.get(), &target, units.data() + units.size(), &source, end, nullptr,
                       true, &status);
        const auto count = static_cast<std::size_t>(target - units.data());
        carried =
            status == U_BUFFER_OVERFLOW_ERROR && count > 0 && U16_IS_LEAD(units[count - 1]) ? 1 : 0;
        AppendUtf8(out, units.data(), count - carried, part);
        if (carried != 0) {
            units[0] = units[count - 1];
        }
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            continue;
        }
        if (U_SUCCESS(status)) {
            return out;
        }
        if (status == U_MEMORY_ALLOCATION_ERROR) {
            Check(status, part);
        }
        // The converter stopped just past the sequence it could not read.
        char invalid[32];
        std::int8_t invalidLength = sizeof invalid;
        UErrorCode ignored = U_ZERO_ERROR;
        ucnv_getInvalidChars(converter.get(), invalid, &invalidLength, &ignored);
        const auto at = firstByte + static_cast<std::size_t>(source - bytes.data()) -
                        static_cast<std::size_t>(invalidLength);
        throw DocumentError(part, "invalid " + encoding + " at byte " + std::to_string(at));
    }
}

std::string EncodeText(std::string_view text, const std::string& encoding,
                       const std::string& part) {
    const Converter converter = OpenOrThrow(encoding, part);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_ESCAPE, UCNV_ESCAPE_XML_DEC,
                          nullptr, nullptr, &status);
    Check(status, part);
    std::string out;
    out.reserve(text.size());
    std::vector<UChar> units(kPiece);
    std::vector<char> bytes(kPiece * 4);
    do {
        // At most kPiece bytes of UTF-8 are at most kPiece UTF-16 units.
        const std::size_t piece = WholeCharacters(text.substr(0, kPiece));
        std::int32_t length = 0;
        status = U_ZERO_ERROR;
        u_strFromUTF8WithSub(units.data(), static_cast<std::int32_t>(units.size()), &length,
                             text.data(), static_cast<std::int32_t>(piece), 0xFFFD, nullptr,
                             &status);
        Check(status, part);
        text.remove_prefix(piece);
        const UChar* source = units.data();
        const UChar* const end = units.data() + length;
        do {
            char* target = bytes.data();
            status = U_ZERO_ERROR;
            ucnv_fromUnicode(converter.get(), &target, bytes.data() + bytes.size(), &source, end,
                             nullptr, text.empty(), &status);
            Check(status, part);
            out.append(bytes.data(), static_cast<std::size_t>(target - bytes.data()));
        } while (status == U_BUFFER_OVERFLOW_ERROR);
    } while (!text.empty());
    return out;
}

} // namespace orvani::documents
