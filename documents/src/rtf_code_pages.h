#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

struct UConverter;

namespace orvani::documents {

// The Windows code page that RTF's \fcharsetN names; nullopt for the ones that name none (the
// symbol fonts' 2, and those RTF leaves to the document's own code page).
[[nodiscard]] std::optional<int> CodePageOfCharset(int charset);

// RTF's bytes in Windows code pages, through ICU: to UTF-8, and characters to single bytes.
// Converters are opened once per code page; one that ICU does not know reads as 1252.
class RtfCodePages {
public:
    RtfCodePages();
    ~RtfCodePages();
    RtfCodePages(const RtfCodePages&) = delete;
    RtfCodePages& operator=(const RtfCodePages&) = delete;

    // Appends `bytes`, in `codePage`, to `utf8`; a byte the code page lacks becomes U+FFFD.
    void decode(int codePage, std::string_view bytes, std::string& utf8);
    // The one byte that writes `c` in `codePage`, where there is one.
    [[nodiscard]] std::optional<unsigned char> byteOf(int codePage, char32_t c);

private:
    struct Closer {
        void operator()(UConverter* converter) const noexcept;
    };
    UConverter* open(int codePage);
    std::optional<unsigned char> lookUp(int codePage, char32_t c);

    std::map<int, std::unique_ptr<UConverter, Closer>> converters_;
    // The few characters that converted text writes, each asked of ICU once.
    std::map<std::pair<int, char32_t>, std::optional<unsigned char>> bytes_;
};

} // namespace orvani::documents
