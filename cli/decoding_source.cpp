#include "decoding_source.h"

#include "errors.h"

#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace orvani::cli {
namespace {

constexpr std::size_t kRawPiece = std::size_t{1} << 16;
constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

} // namespace

DecodingSource::DecodingSource(ByteSource& in, const std::string& encoding, bool replace)
    : in_(in), encoding_(encoding), converter_(OpenConverter(encoding)), replace_(replace),
      raw_(std::make_unique_for_overwrite<char[]>(kRawPiece)), units_(kRawPiece, u'\0') {
    if (!converter_) {
        throw FilterError(name(), "unknown encoding '" + encoding + "'");
    }
}

std::size_t DecodingSource::read(char* into, std::size_t size) {
    for (;;) {
        if (readyFrom_ < ready_.size()) {
            const std::size_t count = std::min(size, ready_.size() - readyFrom_);
            std::memcpy(into, ready_.data() + readyFrom_, count);
            readyFrom_ += count;
            return count;
        }
        if (fault_) {
            ended_ = true;
            std::rethrow_exception(std::exchange(fault_, nullptr));
        }
        if (ended_) {
            return 0;
        }
        ready_.clear();
        readyFrom_ = 0;
        std::size_t got = 0;
        try {
            got = in_.read(raw_.get(), kRawPiece);
        } catch (const FilterError&) {
            fault_ = std::current_exception();
            continue;
        }
        ended_ = got == 0;
        decode(raw_.get(), got, ended_);
        consumed_ += got;
    }
}

void DecodingSource::decode(const char* bytes, std::size_t length, bool flush) {
    const char* source = bytes;
    const char* const end = bytes + length;
    std::size_t carried = 0; // a lead surrogate whose trail the next round brings
    for (;;) {
        UChar* target = units_.data() + carried;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter_.get(), &target, units_.data() + units_.size(), &source, end,
                       nullptr, flush, &status);
        auto count = static_cast<std::size_t>(target - units_.data());
        carried = status == U_BUFFER_OVERFLOW_ERROR && count > 0 && U16_IS_LEAD(units_[count - 1])
                      ? 1
                      : 0;
        appendUtf8(units_.data(), count - carried);
        if (carried != 0) {
            units_[0] = units_[count - 1];
        }
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            continue;
        }
        if (U_SUCCESS(status)) {
            return;
        }
        // The converter stopped just past the sequence it could not read.
        char invalid[32];
        std::int8_t invalidLength = sizeof invalid;
        UErrorCode ignored = U_ZERO_ERROR;
        ucnv_getInvalidChars(converter_.get(), invalid, &invalidLength, &ignored);
        const std::uint64_t at =
            consumed_ + static_cast<std::uint64_t>(source - bytes) - std::uint64_t(invalidLength);
        if (!replace_) {
            fault_ = std::make_exception_ptr(
                FilterError(name(), "invalid " + encoding_ + " at byte " + std::to_string(at)));
            return;
        }
        ready_.append(kReplacement);
        ++replaced_;
        if (!firstReplaced_) {
            firstReplaced_ = at;
        }
        if (source == end && !flush) {
            return;
        }
    }
}

void DecodingSource::appendUtf8(const UChar* units, std::size_t length) {
    // An unpaired surrogate here comes from the input itself (UTF-16 can hold one) and
    // becomes U+FFFD, the only way to write it in UTF-8.
    const std::size_t used = ready_.size();
    ready_.resize(used + length * 3);
    std::int32_t written = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(ready_.data() + used, static_cast<std::int32_t>(length * 3), &written, units,
                       static_cast<std::int32_t>(length), 0xFFFD, nullptr, &status);
    CheckIcu(status, in_.name(), "writing UTF-8");
    ready_.resize(used + static_cast<std::size_t>(written));
}

} // namespace orvani::cli
