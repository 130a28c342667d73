// The vector scans of the UTF-8 road, in AVX2 intrinsics behind a run-time check, so that one
// build runs on every x86, 64-bit or 32-bit (the Windows program: with only eight vector
// registers the scans still convert several times as fast as the scalar road). Intrinsics
// rather than a portable SIMD library: the scans are a few byte shuffles on one instruction
// set, the scalar road already serves every other processor (and stays the reference), and no
// dependency is added. Every function here carries the target attribute itself, rather than
// the file being built for AVX2, so that no AVX2 code can leak into a copy of an inline
// library function that the rest of the program shares.

#include "vector_kernel.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#define ORVANI_AVX2 __attribute__((target("avx2,bmi,bmi2,popcnt")))

namespace orvani::detail {
namespace {

// Byte shuffles that pack 16 bytes by a 16-bit mask of those to keep, built from two halves:
// for each 8-bit mask, the places of its set bits in order, then bytes of 0x80 (which a
// shuffle turns to 0). The high half's controls sit in a window of eight 0x80 bytes on
// either side, so that a load from k bytes before them shifts them k places along.
struct PackTables {
    alignas(16) std::uint8_t low[256][16];
    alignas(32) std::uint8_t high[256][32]; // 24 used; aligned rows keep loads within a line
};

constexpr PackTables MakePackTables() {
    PackTables tables{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        unsigned kept = 0;
        for (unsigned i = 0; i < 24; ++i) {
            tables.high[mask][i] = 0x80;
        }
        for (unsigned i = 0; i < 16; ++i) {
            tables.low[mask][i] = 0x80;
        }
        for (unsigned bit = 0; bit < 8; ++bit) {
            if ((mask >> bit & 1U) != 0) {
                tables.high[mask][8 + kept] = static_cast<std::uint8_t>(8 + bit);
                tables.low[mask][kept++] = static_cast<std::uint8_t>(bit);
            }
        }
    }
    return tables;
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

// Eight positions of two bytes each, packed by a 16-bit mask of the bytes to keep and
// written whole: up to 16 bytes beyond the kept ones are scratch.
ORVANI_AVX2 inline char* PackChunk(__m128i chunk, std::uint32_t keep, char* out,
                                   const PackTables& tables) {
    const std::uint32_t low = keep & 0xFF;
    const auto lowKept = static_cast<unsigned>(_mm_popcnt_u32(low));
    // Unsigned minimum: a control byte (below 16) wins over 0x80.
    const __m128i control = _mm_min_epu8(
        _mm_load_si128(reinterpret_cast<const __m128i*>(tables.low[low])),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(tables.high[keep >> 8] + 8 - lowKept)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(chunk, control));
    return out + _mm_popcnt_u32(keep);
}

// Writes, in order, the first byte of each position that `keepFirst` keeps and the second
// byte of each that `keepSecond` keeps.
ORVANI_AVX2 inline char* Pack(__m256i first, __m256i second, __m256i keepFirst, __m256i keepSecond,
                              char* out) {
    static constexpr PackTables kTables = MakePackTables();
    // Within each 128-bit lane: positions 0-7 (16-23) and 8-15 (24-31), byte pairs.
    const __m256i low = _mm256_unpacklo_epi8(first, second);
    const __m256i high = _mm256_unpackhi_epi8(first, second);
    const std::uint32_t keepLow = Mask(_mm256_unpacklo_epi8(keepFirst, keepSecond));
    const std::uint32_t keepHigh = Mask(_mm256_unpackhi_epi8(keepFirst, keepSecond));
    out = PackChunk(_mm256_castsi256_si128(low), keepLow & 0xFFFF, out, kTables);
    out = PackChunk(_mm256_castsi256_si128(high), keepHigh & 0xFFFF, out, kTables);
    out = PackChunk(_mm256_extracti128_si256(low, 1), keepLow >> 16, out, kTables);
    return PackChunk(_mm256_extracti128_si256(high, 1), keepHigh >> 16, out, kTables);
}

// Byte k of the result is byte k - 1 of `v`; byte 0 is zero.
ORVANI_AVX2 inline __m256i ShiftInZero(__m256i v) {
    return _mm256_alignr_epi8(v, _mm256_permute2x128_si256(v, v, 0x08), 15);
}

ORVANI_AVX2 inline __m256i Load(const char* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

ORVANI_AVX2 inline __m256i Bytes(std::uint8_t byte) {
    return _mm256_set1_epi8(static_cast<char>(byte));
}

// Bytes 0x80-0xBF.
ORVANI_AVX2 inline __m256i Continuation(__m256i v) {
    return _mm256_cmpgt_epi8(_mm256_set1_epi8(-64), v);
}

// A table of 16 << Bits entries held in registers, looked up by index bytes: the low nibble
// picks the entry within a row, the bits above it the row. An index with bit 7 set gives 0.
template <unsigned Bits>
struct Lookup {
    static constexpr unsigned kRows = 1U << Bits;
    __m256i rows[kRows];

    template <std::size_t N>
    ORVANI_AVX2 explicit Lookup(const KernelTables::Rows<N>& table) {
        static_assert(N >= kRows);
        for (unsigned i = 0; i < kRows; ++i) {
            rows[i] = Broadcast(table[i]);
        }
    }

    // Each index bit above the nibble, moved up to bit 7 where a blend reads it. (The 16-bit
    // shift carries bits into the next byte, but only below its bit 7.)
    struct Selectors {
        __m256i bit[Bits > 0 ? Bits : 1];
        ORVANI_AVX2 explicit Selectors(__m256i index) {
            for (unsigned b = 0; b < Bits; ++b) {
                bit[b] = _mm256_slli_epi16(index, static_cast<int>(3 - b));
            }
        }
    };

    ORVANI_AVX2 __m256i operator()(__m256i index, const Selectors& select) const {
        __m256i level[kRows];
        for (unsigned i = 0; i < kRows; ++i) {
            level[i] = _mm256_shuffle_epi8(rows[i], index);
        }
        for (unsigned b = 0, width = kRows; b < Bits; ++b, width /= 2) {
            for (unsigned i = 0; i < width / 2; ++i) {
                level[i] = _mm256_blendv_epi8(level[2 * i], level[2 * i + 1], select.bit[b]);
            }
        }
        return level[0];
    }
};

// ASCII from 0x40 up as an index into the tables' rows; anything else gets bit 7. Folded,
// upper-case letters meet their lower-case ones from 0x60 up.
template <bool Folded>
ORVANI_AVX2 inline __m256i AsciiIndex(__m256i v) {
    if constexpr (Folded) {
        return _mm256_subs_epi8(_mm256_or_si256(v, Bytes(0x20)), Bytes(0x60));
    } else {
        return _mm256_subs_epi8(v, Bytes(0x40));
    }
}

template <bool Folded>
struct AsciiPieces {
    Lookup<Folded ? 1 : 2> first;
    Lookup<Folded ? 1 : 2> second;

    ORVANI_AVX2 explicit AsciiPieces(const KernelTables& tables)
        : first(tables.asciiFirst), second(tables.asciiSecond) {}
};

// A block of 32 bytes, one at each position: the pieces that their characters write there,
// and which positions may be converted.
struct Block {
    __m256i first;
    __m256i second;
    std::uint32_t silent = 0;  // lead bytes of letters, whose second byte writes the piece
    unsigned valid = 32;       // positions before the first that the scan cannot take
    std::uint32_t ascii = ~0U; // by position
    std::uint32_t ends = ~0U;  // where a character ends, by position
};

template <bool Folded>
ORVANI_AVX2 inline void PutAscii(const AsciiPieces<Folded>& pieces, __m256i bytes, __m256i index,
                                 Block& block) {
    const typename Lookup<Folded ? 1 : 2>::Selectors select(index);
    const __m256i first = pieces.first(index, select);
    block.first =
        _mm256_blendv_epi8(first, bytes, _mm256_cmpeq_epi8(first, _mm256_setzero_si256()));
    block.second = pieces.second(index, select);
}

ORVANI_AVX2 inline __m256i Is(__m256i v, std::uint8_t byte) {
    return _mm256_cmpeq_epi8(v, Bytes(byte));
}

ORVANI_AVX2 inline __m256i Either(__m256i v, std::uint8_t a, std::uint8_t b) {
    return _mm256_or_si256(Is(v, a), Is(v, b));
}

struct Latin {
    Lookup<3> first;
    Lookup<3> second;
    bool c2Passes;
    bool punctuationPasses;

    ORVANI_AVX2 explicit Latin(const KernelTables& tables)
        : first(tables.latinFirst), second(tables.latinSecond), c2Passes(tables.c2Passes),
          punctuationPasses(tables.punctuationPasses) {}
};

// The bytes beyond ASCII in `bytes`: C3 and C5 letters are looked up, characters that pass
// unchanged write their own bytes, and the first position of anything else (invalid UTF-8
// included) ends what is valid. So does a character that the block cuts off: the next block
// takes it whole. Position 0 must start a character.
ORVANI_AVX2 inline void PutLatin(const Latin& latin, __m256i bytes, Block& block) {
    block.ascii = ~Mask(bytes);
    const std::uint32_t follow = Mask(Continuation(bytes));
    const std::uint32_t looked = Mask(Either(bytes, 0xC3, 0xC5));
    std::uint32_t leads = looked;
    if (latin.c2Passes) {
        leads |= Mask(Is(bytes, 0xC2));
    }
    const std::uint32_t trails = follow & (leads << 1);
    std::uint32_t valid = block.ascii | (leads & (follow >> 1)) | trails;
    block.ends = block.ascii | trails;
    if (latin.punctuationPasses) {
        // U+2000 and U+2001 (E2 80 80, E2 80 81) pass too, but are left to the scalar road,
        // which tells that the text holds what NFC changes.
        const std::uint32_t row = Mask(Either(bytes, 0x80, 0x81));
        const std::uint32_t singleton = Mask(Is(bytes, 0x80)) & (row >> 1);
        const std::uint32_t e2 = Mask(Is(bytes, 0xE2)) & ~(singleton >> 1);
        const std::uint32_t third = follow & (row << 1) & (e2 << 2);
        valid |= (e2 & (row >> 1) & (follow >> 2)) | (row & (e2 << 1) & (follow >> 1)) | third;
        block.ends |= third;
    }
    // Bytes beyond ASCII write themselves, unless they belong to a looked-up letter.
    block.first = _mm256_blendv_epi8(block.first, bytes, bytes);
    block.second = _mm256_blendv_epi8(block.second, _mm256_setzero_si256(), bytes);
    std::uint32_t unfit = 0;
    if (looked != 0) {
        // Second bytes of C3 and C5 letters: the low six bits and whether the lead is C5.
        const __m256i lead = ShiftInZero(bytes);
        const __m256i afterC5 = Is(lead, 0xC5);
        const __m256i trail =
            _mm256_and_si256(Continuation(bytes), _mm256_or_si256(Is(lead, 0xC3), afterC5));
        const __m256i index = _mm256_or_si256(_mm256_and_si256(bytes, Bytes(0x3F)),
                                              _mm256_and_si256(afterC5, Bytes(0x40)));
        const Lookup<3>::Selectors select(index);
        const __m256i first = latin.first(index, select);
        unfit = Mask(_mm256_and_si256(Is(first, KernelTables::kUnfit), trail));
        block.first = _mm256_blendv_epi8(block.first, first, trail);
        block.second = _mm256_blendv_epi8(block.second, latin.second(index, select), trail);
    }
    block.silent = looked;
    const std::uint32_t bad = ~valid | unfit;
    block.valid = bad == 0 ? 32 : static_cast<unsigned>(__builtin_ctz(bad));
}

struct Pairs {
    Lookup<1> start;
    Lookup<1> end;
    __m256i check;
    __m256i first;
    __m256i second;

    ORVANI_AVX2 explicit Pairs(const KernelTables& tables)
        : start(tables.pairStart), end(tables.pairEnd), check(Broadcast(tables.pairCheck)),
          first(Broadcast(tables.pairFirst)), second(Broadcast(tables.pairSecond)) {}
};

template <bool Folded>
ORVANI_AVX2 const char* ScanLetters(const KernelTables& tables, const char* p, const char* end,
                                    char*& outRef) {
    const AsciiPieces<Folded> pieces(tables);
    const Latin latin(tables);
    char* out = outRef;
    while (end - p >= kScanReach) {
        _mm_prefetch(p + 1024, _MM_HINT_T0);
        const __m256i bytes = Load(p);
        Block block;
        PutAscii(pieces, bytes, AsciiIndex<Folded>(bytes), block);
        unsigned n = 32;
        std::uint32_t silent = 0;
        if (Mask(bytes) != 0) {
            PutLatin(latin, bytes, block);
            // Up to the end of the last whole character before what cannot be taken.
            const std::uint32_t ends = block.ends & Prefix(block.valid);
            if (ends == 0) {
                break;
            }
            n = 32 - static_cast<unsigned>(__builtin_clz(ends));
            silent = block.silent;
        }
        const __m256i keepFirst = Expand(~silent & Prefix(n));
        const __m256i keepSecond =
            _mm256_andnot_si256(_mm256_cmpeq_epi8(block.second, _mm256_setzero_si256()), keepFirst);
        out = Pack(block.first, block.second, keepFirst, keepSecond, out);
        p += n;
    }
    outRef = out;
    return p;
}

} // namespace

bool VectorScansAvailable() noexcept {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
}

ORVANI_AVX2 const char* ScanLettersAvx2(const KernelTables& tables, const char* p, const char* end,
                                        char*& out) noexcept {
    return tables.foldsCase ? ScanLetters<true>(tables, p, end, out)
                            : ScanLetters<false>(tables, p, end, out);
}

// Position k decides on the character before it, p[k - 1], as the scalar scan does: whether
// it spells a pair with p[k], and what it writes.
ORVANI_AVX2 const char* ScanPairsAvx2(const KernelTables& tables, const char* p, const char* end,
                                      char*& outRef, bool& takenRef) noexcept {
    const AsciiPieces<true> pieces(tables);
    const Latin latin(tables);
    const Pairs pairs(tables);
    char* out = outRef;
    std::uint32_t carry = takenRef ? 1 : 0;
    while (end - p >= kScanReach) {
        _mm_prefetch(p + 1024, _MM_HINT_T0);
        const __m256i before = Load(p - 1);
        const __m256i bytes = Load(p);
        const __m256i index = AsciiIndex<true>(before);
        Block block;
        PutAscii(pieces, before, index, block);

        // Bit k: p[k - 1] and p[k] spell a pair.
        const Lookup<1>::Selectors select(index);
        const __m256i start = pairs.start(index, select);
        const __m256i nextIndex = AsciiIndex<true>(bytes);
        const __m256i slot =
            _mm256_add_epi8(start, pairs.end(nextIndex, Lookup<1>::Selectors(nextIndex)));
        const __m256i spelled = _mm256_cmpeq_epi8(_mm256_shuffle_epi8(pairs.check, slot), start);
        std::uint32_t spells = Mask(spelled);

        unsigned n = 32;
        std::uint32_t silent = 0;
        if (Mask(bytes) != 0) {
            PutLatin(latin, before, block);
            // Up to an ASCII character (p[31] is position 32), which is left for the next block
            // to decide on.
            const std::uint64_t ascii = (block.ascii | std::uint64_t{~Mask(bytes) >> 31} << 32) &
                                        (~0ULL << 1) & (~0ULL >> (63 - block.valid));
            if (ascii == 0) {
                break;
            }
            n = 63 - static_cast<unsigned>(__builtin_clzll(ascii));
            silent = block.silent;
        }
        spells &= Prefix(n);

        // Greedy pairing from the left: in each run of positions that spell, every other one
        // from the run's start takes a pair. A run that goes on from the previous block after a
        // taken pair starts, in effect, one place earlier.
        const std::uint64_t runs = spells;
        const std::uint64_t starts = runs & ~(runs << 1);
        const std::uint64_t oddStarts = starts & 0xAAAAAAAAULL;
        const std::uint64_t sum = runs + oddStarts + carry;
        const std::uint64_t oddRuns = runs & ~sum;
        const std::uint64_t evenRuns = runs & ~oddRuns;
        const auto taken =
            static_cast<std::uint32_t>((evenRuns & 0x55555555ULL) | (oddRuns & 0xAAAAAAAAULL));
        // Taken as the second letter of a pair, the character before writes nothing.
        const std::uint32_t takenBefore = (taken << 1) | carry;

        // Every position of a run that spells either takes its pair or writes nothing, so the
        // pairs' pieces can go in wherever a pair is spelled.
        const __m256i first =
            _mm256_blendv_epi8(block.first, _mm256_shuffle_epi8(pairs.first, slot), spelled);
        const __m256i second =
            _mm256_blendv_epi8(block.second, _mm256_shuffle_epi8(pairs.second, slot), spelled);
        const __m256i keepFirst = Expand(~takenBefore & ~silent & Prefix(n));
        const __m256i keepSecond =
            _mm256_andnot_si256(_mm256_cmpeq_epi8(second, _mm256_setzero_si256()), keepFirst);
        out = Pack(first, second, keepFirst, keepSecond, out);
        carry = (taken >> (n - 1)) & 1U;
        p += n;
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
        // Two-byte leads C2-CB, of the characters below U+0300; from there on (combining marks
        // among them) the scalar road takes them, and tells that NFC might change them.
        const __m256i lead = _mm256_and_si256(_mm256_cmpgt_epi8(bytes, _mm256_set1_epi8(-63)),
                                              _mm256_cmpgt_epi8(_mm256_set1_epi8(-52), bytes));
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
