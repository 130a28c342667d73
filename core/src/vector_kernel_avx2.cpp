// The vector scans of the UTF-8 road, in AVX2 intrinsics behind a run-time check, so that one
// build runs on every x86-64. Intrinsics rather than a portable SIMD library: the scans are a
// few byte shuffles on one instruction set, the scalar road already serves every other
// processor (and stays the reference), and no dependency is added. Every function here
// carries the target attribute itself, and the file uses no inline library templates, so that
// no AVX2 code can leak into a copy of a function that the rest of the program calls.

#include "vector_kernel.h"

#if defined(__x86_64__)

#include <immintrin.h>

#define ORVANI_AVX2 __attribute__((target("avx2,bmi,bmi2,popcnt")))

namespace orvani::detail {
namespace {

// For each 8-bit mask, the places of its set bits in order: a byte shuffle that packs the
// bytes the mask keeps to the front.
struct PackTable {
    std::uint64_t control[256];
};

constexpr PackTable MakePackTable() {
    PackTable table{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        std::uint64_t control = 0;
        unsigned kept = 0;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if ((mask >> bit & 1U) != 0) {
                control |= std::uint64_t{bit} << (8 * kept++);
            }
        }
        table.control[mask] = control;
    }
    return table;
}

ORVANI_AVX2 inline __m256i Broadcast(const KernelTables::Row16& row) {
    return _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.data())));
}

// Bit k of `mask` as byte k of a vector, all ones or all zeros.
ORVANI_AVX2 inline __m256i Expand(std::uint32_t mask) {
    const __m256i spread =
        _mm256_shuffle_epi8(_mm256_set1_epi32(static_cast<int>(mask)),
                            _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2,
                                             2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3));
    const __m256i bits = _mm256_set1_epi64x(static_cast<long long>(0x8040201008040201ULL));
    return _mm256_cmpeq_epi8(_mm256_and_si256(spread, bits), bits);
}

ORVANI_AVX2 inline std::uint32_t Mask(__m256i bytes) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(bytes));
}

ORVANI_AVX2 inline std::uint32_t Prefix(unsigned n) {
    return n >= 32 ? ~0U : (1U << n) - 1;
}

// Eight positions of two bytes each, packed by a 16-bit mask of the bytes to keep.
ORVANI_AVX2 inline char* PackChunk(__m128i chunk, std::uint32_t keep, char* out,
                                   const PackTable& table) {
    const std::uint32_t low = keep & 0xFF;
    const std::uint32_t high = keep >> 8;
    const __m128i control =
        _mm_set_epi64x(static_cast<long long>(table.control[high] + 0x0808080808080808ULL),
                       static_cast<long long>(table.control[low]));
    const __m128i packed = _mm_shuffle_epi8(chunk, control);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
    out += _mm_popcnt_u32(low);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_unpackhi_epi64(packed, packed));
    return out + _mm_popcnt_u32(high);
}

// Writes, in order, the first byte of each position that `keepFirst` keeps and the second
// byte of each that `keepSecond` keeps.
ORVANI_AVX2 inline char* Pack(__m256i first, __m256i second, __m256i keepFirst, __m256i keepSecond,
                              char* out) {
    static constexpr PackTable kTable = MakePackTable();
    // Within each 128-bit lane: positions 0-7 (16-23) and 8-15 (24-31), byte pairs.
    const __m256i low = _mm256_unpacklo_epi8(first, second);
    const __m256i high = _mm256_unpackhi_epi8(first, second);
    const std::uint32_t keepLow = Mask(_mm256_unpacklo_epi8(keepFirst, keepSecond));
    const std::uint32_t keepHigh = Mask(_mm256_unpackhi_epi8(keepFirst, keepSecond));
    out = PackChunk(_mm256_castsi256_si128(low), keepLow & 0xFFFF, out, kTable);
    out = PackChunk(_mm256_castsi256_si128(high), keepHigh & 0xFFFF, out, kTable);
    out = PackChunk(_mm256_extracti128_si256(low, 1), keepLow >> 16, out, kTable);
    return PackChunk(_mm256_extracti128_si256(high, 1), keepHigh >> 16, out, kTable);
}

// Byte k of the result is byte k - 1 of `v`; byte 0 is zero.
ORVANI_AVX2 inline __m256i ShiftInZero(__m256i v) {
    return _mm256_alignr_epi8(v, _mm256_permute2x128_si256(v, v, 0x08), 15);
}

ORVANI_AVX2 inline __m256i HighNibbles(__m256i v) {
    return _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0F));
}

ORVANI_AVX2 inline __m256i LowNibbles(__m256i v) {
    return _mm256_and_si256(v, _mm256_set1_epi8(0x0F));
}

// Bytes 0x80-0xBF.
ORVANI_AVX2 inline __m256i Continuation(__m256i v) {
    return _mm256_cmpgt_epi8(_mm256_set1_epi8(-64), v);
}

// The single-letter pieces of the ASCII bytes of `v` (others: themselves).
ORVANI_AVX2 inline void AsciiPieces(const KernelTables& tables, __m256i v, __m256i& first,
                                    __m256i& second) {
    const __m256i high = HighNibbles(v);
    const __m256i low = LowNibbles(v);
    first = v;
    second = _mm256_setzero_si256();
    for (unsigned i = 0; i < tables.asciiGroups; ++i) {
        const std::uint8_t group = tables.groups[i];
        const __m256i select = _mm256_cmpeq_epi8(high, _mm256_set1_epi8(static_cast<char>(group)));
        first = _mm256_blendv_epi8(first, _mm256_shuffle_epi8(Broadcast(tables.first[group]), low),
                                   select);
        second = _mm256_blendv_epi8(
            second, _mm256_shuffle_epi8(Broadcast(tables.second[group]), low), select);
    }
}

// Each ASCII byte's place among the letters of two-letter spellings; 0 for any other byte.
ORVANI_AVX2 inline __m256i Places(const KernelTables& tables, __m256i v) {
    const __m256i high = HighNibbles(v);
    const __m256i low = LowNibbles(v);
    __m256i places = _mm256_setzero_si256();
    for (unsigned i = 0; i < tables.placeGroupCount; ++i) {
        const std::uint8_t group = tables.placeGroups[i];
        const __m256i select = _mm256_cmpeq_epi8(high, _mm256_set1_epi8(static_cast<char>(group)));
        places = _mm256_or_si256(
            places,
            _mm256_and_si256(select, _mm256_shuffle_epi8(Broadcast(tables.place[group]), low)));
    }
    return places;
}

} // namespace

bool VectorScansAvailable() noexcept {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
}

ORVANI_AVX2 const char* ScanLettersAvx2(const KernelTables& tables, const char* p, const char* end,
                                        char*& outRef) noexcept {
    char* out = outRef;
    while (end - p >= 32) {
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i before = ShiftInZero(bytes);
        const __m256i continuation = Continuation(bytes);
        const __m256i afterC5 =
            _mm256_cmpeq_epi8(before, _mm256_set1_epi8(static_cast<char>(0xC5)));
        const __m256i afterLead = _mm256_or_si256(
            _mm256_cmpeq_epi8(before, _mm256_set1_epi8(static_cast<char>(0xC3))), afterC5);
        const __m256i lead =
            _mm256_or_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(static_cast<char>(0xC3))),
                            _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(static_cast<char>(0xC5))));
        const std::uint32_t ascii = ~Mask(bytes);
        const std::uint32_t trail = Mask(_mm256_and_si256(continuation, afterLead));
        const std::uint32_t leads = Mask(lead) & (trail >> 1);

        // The group of each byte: ASCII and C3 trails by high nibble, C5 trails 4 further on.
        const __m256i group = _mm256_add_epi8(
            HighNibbles(bytes),
            _mm256_and_si256(_mm256_and_si256(afterC5, continuation), _mm256_set1_epi8(4)));
        const __m256i low = LowNibbles(bytes);
        __m256i first = bytes;
        __m256i second = _mm256_setzero_si256();
        for (unsigned i = 0; i < tables.groupCount; ++i) {
            const std::uint8_t g = tables.groups[i];
            const __m256i select = _mm256_cmpeq_epi8(group, _mm256_set1_epi8(static_cast<char>(g)));
            first = _mm256_blendv_epi8(first, _mm256_shuffle_epi8(Broadcast(tables.first[g]), low),
                                       select);
            second = _mm256_blendv_epi8(
                second, _mm256_shuffle_epi8(Broadcast(tables.second[g]), low), select);
        }
        const std::uint32_t writes = ascii | trail;
        const std::uint32_t unfit =
            Mask(_mm256_cmpeq_epi8(first,
                                   _mm256_set1_epi8(static_cast<char>(KernelTables::kUnfit)))) &
            writes;
        // A character is left whole: an unfit second byte leaves its lead byte too.
        const std::uint32_t bad = ~(writes | leads) | unfit | ((unfit & trail) >> 1);
        const unsigned n = bad == 0 ? 32 : static_cast<unsigned>(__builtin_ctz(bad));
        if (n == 0) {
            break;
        }
        const __m256i keepFirst = Expand(writes & Prefix(n));
        const __m256i keepSecond =
            _mm256_andnot_si256(_mm256_cmpeq_epi8(second, _mm256_setzero_si256()), keepFirst);
        out = Pack(first, second, keepFirst, keepSecond, out);
        p += n;
    }
    outRef = out;
    return p;
}

ORVANI_AVX2 const char* ScanPairsAvx2(const KernelTables& tables, const char* p, const char* end,
                                      char*& outRef, bool& takenRef) noexcept {
    char* out = outRef;
    std::uint32_t carry = takenRef ? 1 : 0;
    while (end - p >= 32) {
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const std::uint32_t ascii = ~Mask(bytes);
        const unsigned n = ascii == ~0U ? 32 : static_cast<unsigned>(__builtin_ctz(~ascii));
        if (n == 0) {
            break;
        }
        // Position k decides on the character before it, p[k - 1], as the scalar scan does.
        const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p - 1));
        const __m256i place = Places(tables, bytes);
        const __m256i placeBefore = Places(tables, before);
        __m256i pairFirst = _mm256_setzero_si256();
        __m256i pairSecond = _mm256_setzero_si256();
        for (unsigned j = 0; j < tables.columnCount; ++j) {
            const __m256i select = _mm256_cmpeq_epi8(
                place, _mm256_set1_epi8(static_cast<char>(tables.columnPlace[j])));
            pairFirst = _mm256_or_si256(
                pairFirst,
                _mm256_and_si256(select,
                                 _mm256_shuffle_epi8(Broadcast(tables.pairFirst[j]), placeBefore)));
            pairSecond = _mm256_or_si256(
                pairSecond,
                _mm256_and_si256(
                    select, _mm256_shuffle_epi8(Broadcast(tables.pairSecond[j]), placeBefore)));
        }
        // Bit k: p[k - 1] and p[k] spell a pair.
        const std::uint64_t spells =
            ~Mask(_mm256_cmpeq_epi8(pairFirst, _mm256_setzero_si256())) & Prefix(n);

        // Greedy pairing from the left: in each run of positions that spell, every other one
        // from the run's start takes a pair. A run that goes on from the previous block after a
        // taken pair starts, in effect, one place earlier.
        const std::uint64_t starts = spells & ~(spells << 1);
        const std::uint64_t oddStarts = starts & 0xAAAAAAAAULL;
        const std::uint64_t sum = spells + oddStarts + carry;
        const std::uint64_t oddRuns = spells & ~sum;
        const std::uint64_t evenRuns = spells & ~oddRuns;
        const auto taken =
            static_cast<std::uint32_t>((evenRuns & 0x55555555ULL) | (oddRuns & 0xAAAAAAAAULL));
        // Taken as the second letter of a pair, the character before writes nothing.
        const std::uint32_t takenBefore = (taken << 1) | carry;

        __m256i first;
        __m256i second;
        AsciiPieces(tables, before, first, second);
        const __m256i pair = Expand(taken);
        first = _mm256_blendv_epi8(first, pairFirst, pair);
        second = _mm256_blendv_epi8(second, pairSecond, pair);
        const __m256i keepFirst = Expand(~takenBefore & Prefix(n));
        const __m256i keepSecond =
            _mm256_andnot_si256(_mm256_cmpeq_epi8(second, _mm256_setzero_si256()), keepFirst);
        out = Pack(first, second, keepFirst, keepSecond, out);
        carry = (taken >> (n - 1)) & 1U;
        p += n;
        if (n < 32) {
            break;
        }
    }
    takenRef = carry != 0;
    outRef = out;
    return p;
}

ORVANI_AVX2 const char* SkipUtf8Avx2(const char* p, const char* end) noexcept {
    while (end - p >= 32) {
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const std::uint32_t ascii = ~Mask(bytes);
        if (ascii == ~0U) {
            p += 32;
            continue;
        }
        // Two-byte leads are C2-DF.
        const __m256i lead = _mm256_and_si256(_mm256_cmpgt_epi8(bytes, _mm256_set1_epi8(-63)),
                                              _mm256_cmpgt_epi8(_mm256_set1_epi8(-32), bytes));
        const std::uint32_t trail = Mask(_mm256_and_si256(Continuation(bytes), ShiftInZero(lead)));
        const std::uint32_t good = ascii | trail | (Mask(lead) & (trail >> 1));
        const unsigned n = good == ~0U ? 32 : static_cast<unsigned>(__builtin_ctz(~good));
        if (n == 0) {
            break;
        }
        p += n;
    }
    return p;
}

} // namespace orvani::detail

#else

namespace orvani::detail {

bool VectorScansAvailable() noexcept {
    return false;
}
const char* ScanLettersAvx2(const KernelTables&, const char* p, const char*, char*&) noexcept {
    return p;
}
const char* ScanPairsAvx2(const KernelTables&, const char* p, const char*, char*&, bool&) noexcept {
    return p;
}
const char* SkipUtf8Avx2(const char* p, const char*) noexcept {
    return p;
}

} // namespace orvani::detail

#endif
