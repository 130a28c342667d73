// A plain yardstick for the filter's Old to New: a table loop with no vector code and no UTF-8
// checks. 65,536 entries indexed by two raw bytes give each two-letter spelling's output, 256
// more each single byte's; both are filled here through the library's public API, one spelling
// at a time.
//   orvani-table-peer FILE    (the conversion on standard output)

#include <orvani/pipeline.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Entry {
    char bytes[3];
    unsigned char length; // 0: no spelling
};

} // namespace

int main(int argc, char* argv[]) {
    using orvani::Standard;
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvani-table-peer FILE\n");
        return 2;
    }
    const auto convert = [](const std::string& text) {
        return orvani::ConvertUtf8(text, Standard::Old, Standard::New).text;
    };
    std::vector<Entry> single(256);
    for (int b = 0; b < 256; ++b) {
        const std::string text(1, static_cast<char>(b));
        const std::string out = b < 0x80 ? convert(text) : text; // other bytes pass as they are
        single[b].length = static_cast<unsigned char>(out.copy(single[b].bytes, 3));
    }
    // A pair is a spelling where it reads otherwise than its two letters apart.
    std::vector<Entry> pair(65536);
    for (int a = 'A'; a <= 'z'; ++a) {
        for (int b = 'A'; b <= 'z'; ++b) {
            const std::string out = convert({static_cast<char>(a), static_cast<char>(b)});
            const Entry& x = single[a];
            const Entry& y = single[b];
            if (out != std::string(x.bytes, x.length) + std::string(y.bytes, y.length)) {
                Entry& entry = pair[(a << 8) | b];
                entry.length = static_cast<unsigned char>(out.copy(entry.bytes, 3));
            }
        }
    }

    std::FILE* in = std::fopen(argv[1], "rb");
    if (in == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    constexpr std::size_t kRead = std::size_t{1} << 20;
    const auto bytes = std::make_unique<unsigned char[]>(kRead + 1);
    const auto out = std::make_unique<char[]>(3 * kRead + 8);
    std::size_t held = 0; // a last byte kept back, which may begin a spelling
    for (;;) {
        const std::size_t got = std::fread(bytes.get() + held, 1, kRead, in);
        const std::size_t size = held + got;
        const bool last = got == 0;
        char* o = out.get();
        std::size_t i = 0;
        while (i + 1 < size) {
            const Entry& two = pair[(bytes[i] << 8) | bytes[i + 1]];
            const Entry& one = single[bytes[i]];
            const Entry& e = two.length != 0 ? two : one;
            o[0] = e.bytes[0];
            o[1] = e.bytes[1];
            o[2] = e.bytes[2];
            o += e.length;
            i += two.length != 0 ? 2 : 1;
        }
        if (last && i < size) {
            const Entry& e = single[bytes[i]];
            o = std::copy(e.bytes, e.bytes + e.length, o);
            i = size;
        }
        std::fwrite(out.get(), 1, static_cast<std::size_t>(o - out.get()), stdout);
        held = size - i;
        if (held != 0) {
            bytes[0] = bytes[i];
        }
        if (last) {
            break;
        }
    }
    std::fclose(in);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
