#include "rtf_code_pages.h"

#include <orvani/documents.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace orvani::documents {
namespace {

constexpr std::array<std::pair<int, int>, 19> kCharsets{{
    {0, 1252},   {77, 10000}, {78, 10001}, {128, 932},  {129, 949},  {130, 1361}, {134, 936},
    {136, 950},  {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257},
    {204, 1251}, {222, 874},  {238, 1250}, {254, 437},  {255, 850},
}};

std::string IcuName(int codePage) {
    switch (codePage) {
    case 10000:
        return "macintosh";
    case 437:
    case 850:
        return "ibm-" + std::to_string(codePage);
    default:
        return "windows-" + std::to_string(codePage);
    }
}

} // namespace

std::optional<int> CodePageOfCharset(int charset) {
    for (const auto& [known, codePage] : kCharsets) {
        if (known == charset) {
            return codePage;
        }
    }
    return std::nullopt;
}

void RtfCodePages::Closer::operator()(UConverter* converter) const noexcept {
    ucnv_close(converter);
}

RtfCodePages::RtfCodePages() = default;
RtfCodePages::~RtfCodePages() = default;

UConverter* RtfCodePages::open(int codePage) {
    auto found = converters_.find(codePage);
    if (found == converters_.end()) {
        UErrorCode status = U_ZERO_ERROR;
        UConverter* converter = ucnv_open(IcuName(codePage).c_str(), &status);
        if (U_FAILURE(status)) {
            ucnv_close(converter);
            status = U_ZERO_ERROR;
            converter = ucnv_open("windows-1252", &status);
        }
        if (U_FAILURE(status)) {
            throw DocumentError("", "ICU cannot read code page " + std::to_string(codePage));
        }
        found = converters_.emplace(codePage, converter).first;
    }
    return found->second.get();
}

void RtfCodePages::decode(int codePage, std::string_view bytes, std::string& utf8) {
    // ASCII reads alike in every code page RTF names, and is most of any document.
    if (std::ranges::all_of(bytes, [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        utf8.append(bytes);
        return;
    }
    UConverter* converter = open(codePage);
    ucnv_resetToUnicode(converter);
    std::vector<UChar> wide(bytes.size() * 2 + 2);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter, wide.data(), static_cast<int32_t>(wide.size()),
                                         bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    std::string out(static_cast<std::size_t>(length) * 3 + 1, '\0');
    int32_t written = 0;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &written, wide.data(), length,
                       0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) {
        throw DocumentError("", "ICU cannot read code page " + std::to_string(codePage));
    }
    utf8.append(out.data(), static_cast<std::size_t>(written));
}

std::optional<unsigned char> RtfCodePages::byteOf(int codePage, char32_t c) {
    const auto known = bytes_.find({codePage, c});
    if (known != bytes_.end()) {
        return known->second;
    }
    const std::optional<unsigned char> byte = lookUp(codePage, c);
    bytes_.emplace(std::pair{codePage, c}, byte);
    return byte;
}

std::optional<unsigned char> RtfCodePages::lookUp(int codePage, char32_t c) {
    UConverter* converter = open(codePage);
    ucnv_resetFromUnicode(converter);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::array<UChar, 2> wide{};
    int32_t length = 0;
    U16_APPEND_UNSAFE(wide.data(), length, c);
    std::array<char, 8> bytes{};
    const int32_t written =
        ucnv_fromUChars(converter, bytes.data(), bytes.size(), wide.data(), length, &status);
    if (U_FAILURE(status) || written != 1) {
        return std::nullopt;
    }
    return static_cast<unsigned char>(bytes[0]);
}

} // namespace orvani::documents
