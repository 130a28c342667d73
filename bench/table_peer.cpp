// A plain yardstick for the filter: the table loop a programmer writes in an hour, with no
// vector code and no UTF-8 checks. 65,536 entries, indexed by the next two bytes, give the
// output for them and how many of them it takes: a two-letter spelling (two bytes), a
// two-byte character (two bytes), or the first byte alone. The entries are filled through the
// library's public API, one spelling at a time; characters of three and four bytes pass
// through byte by byte, as they do in the conversions measured.
//   orvani-table-peer FROM TO FILE    (the conversion on standard output)

#include <orvani/pipeline.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

// Four bytes an entry, so that the entries that prose uses stay in the first-level cache.
// The rare pieces longer than two bytes (a capital of two bytes may lower-case to a letter of
// three) are marked with a step of 0 and written from a list of their own.
struct Entry {
    char bytes[2];
    std::uint8_t length;
    std::uint8_t step;
};

struct Table {
    std::vector<Entry> entries;
    std::vector<std::pair<std::string, int>> longer; // by the entry's length
};

Table BuildTable(orvani::Standard from, orvani::Standard to) {
    const auto convert = [&](const std::string& text) {
        return orvani::ConvertUtf8(text, from, to).text;
    };
    std::vector<std::string> single(256);
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        single[b] = b < 0x80 ? convert(byte) : byte;
    }
    // Indexed by the two bytes as they lie in memory, read as one 16-bit load.
    Table table{std::vector<Entry>(65536), {}};
    const auto put = [&](int first, int second, const std::string& out, int step) {
        Entry& entry = table.entries[first | (second << 8)];
        if (out.size() <= sizeof entry.bytes) {
            entry.length = static_cast<std::uint8_t>(out.copy(entry.bytes, sizeof entry.bytes));
            entry.step = static_cast<std::uint8_t>(step);
        } else {
            entry.length = static_cast<std::uint8_t>(table.longer.size());
            entry.step = 0;
            table.longer.emplace_back(out, step);
        }
    };
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string two{static_cast<char>(a), static_cast<char>(b)};
            if (a >= 0xC2 && a < 0xE0 && (b & 0xC0) == 0x80) {
                put(a, b, convert(two), 2);
                continue;
            }
            // A pair is a spelling where it reads otherwise than its two letters apart.
            const std::string both = a < 0x80 && b < 0x80 ? convert(two) : std::string();
            if (!both.empty() && both != single[a] + single[b]) {
                put(a, b, both, 2);
            } else {
                put(a, b, single[a], 1);
            }
        }
    }
    return table;
}

} // namespace

int main(int argc, char* argv[]) {
    const auto from = argc == 4 ? orvani::ParseStandard(argv[1]) : std::nullopt;
    const auto to = argc == 4 ? orvani::ParseStandard(argv[2]) : std::nullopt;
    if (!from || !to) {
        std::fprintf(stderr, "usage: orvani-table-peer FROM TO FILE\n");
        return 2;
    }
    const Table table = BuildTable(*from, *to);
    std::FILE* in = std::fopen(argv[3], "rb");
    if (in == nullptr) {
        std::perror(argv[3]);
        return 1;
    }
    const Entry* const entries = table.entries.data();
    constexpr std::size_t kRead = std::size_t{1} << 20;
    const auto bytes = std::make_unique<unsigned char[]>(kRead + 2);
    const auto out = std::make_unique<char[]>(3 * kRead + 8);
    std::size_t held = 0; // a last byte kept back, which may begin a spelling
    for (;;) {
        const std::size_t got = std::fread(bytes.get() + held, 1, kRead, in);
        const std::size_t size = held + got;
        const bool last = got == 0;
        bytes[size] = 0;
        char* o = out.get();
        std::size_t i = 0;
        for (const std::size_t end = last ? size : size - 1; i < end;) {
            std::uint16_t key = 0;
            std::memcpy(&key, bytes.get() + i, 2);
            const Entry& entry = entries[key];
            if (entry.step == 0) [[unlikely]] {
                const auto& [piece, step] = table.longer[entry.length];
                o = std::copy(piece.begin(), piece.end(), o);
                i += static_cast<std::size_t>(step);
                continue;
            }
            std::memcpy(o, entry.bytes, sizeof entry.bytes);
            o += entry.length;
            i += entry.step;
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
