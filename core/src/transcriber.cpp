#include "transcriber.h"

#include "lower_case.h"

#include <orvani/internal/ascii.h>
#include <orvani/internal/utf8.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <span>
#include <utility>

namespace orvani::detail {
namespace {

constexpr std::uint8_t kNoRow = 0xFF;

// A character read, and the units it took. Code points are taken as they come, whatever their
// value; UTF-8 that cannot be read takes no units, which no character read does.
struct Read {
    char32_t c;
    std::ptrdiff_t units;

    [[nodiscard]] bool readable() const noexcept { return units != 0; }
};

// What an unreadable sequence gives: its `c` is never looked at, but lies beyond the tables to
// keep it off the scans' common road.
constexpr Read kUnreadable{kLetterBound, 0};

Read NextRare(const char* p, const char* end) {
    const internal::Utf8Char read = internal::DecodeUtf8(p, end);
    if (read.status != internal::Utf8Status::Valid) {
        return kUnreadable;
    }
    return {read.c, read.length};
}

// With branches rather than arithmetic, even where ASCII and two-byte letters come mixed: the
// processor then runs ahead on a guess, where arithmetic would make each character wait for
// the length of the one before.
inline Read Next(const char* p, const char* end) {
    const std::uint32_t lead = static_cast<unsigned char>(p[0]);
    if (lead < 0x80) {
        return {lead, 1};
    }
    if (lead - 0xC2 < 0xE0 - 0xC2 && end - p >= 2) {
        const std::uint32_t trail = static_cast<unsigned char>(p[1]);
        if ((trail & 0xC0) == 0x80) {
            return {((lead & 0x1F) << 6) | (trail & 0x3F), 2};
        }
    }
    return NextRare(p, end);
}

inline Read Next(const char32_t* p, const char32_t*) {
    return {*p, 1};
}

// Whether the next eight units are ASCII, to be taken without decoding.
inline bool AsciiAhead(const char* p, const char* end) {
    if (end - p < 8) {
        return false;
    }
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ULL) == 0;
}

inline bool AsciiAhead(const char32_t*, const char32_t*) {
    return false;
}

// Where [p, end) stops being readable UTF-8; `mayCompose` is set where it holds a character
// that NFC might change.
const char* SkipUtf8(const char* p, const char* end, bool vector, bool& mayCompose) {
    while (p < end) {
        if (vector && end - p >= 32) {
            p = SkipUtf8Avx2(p, end);
            if (p == end) {
                break;
            }
        }
        if (AsciiAhead(p, end)) {
            p += 8;
            continue;
        }
        const Read read = Next(p, end);
        if (!read.readable()) {
            break;
        }
        mayCompose = mayCompose || Transcriber::MayCompose(read.c);
        p += read.units;
    }
    return p;
}

// Whether the unreadable sequence at `p` may yet be completed by more bytes.
bool CutOff(const char* p, const char* end) {
    return internal::DecodeUtf8(p, end).status == internal::Utf8Status::Truncated;
}

char* Put(char32_t c, char* out) {
    return internal::EncodeUtf8(c, out);
}
char32_t* Put(char32_t c, char32_t* out) {
    *out = c;
    return out + 1;
}

} // namespace

LetterStage::LetterStage(const ScanRules& rules, ConversionOptions options)
    : rules_(rules), options_(options) {
    rowOf_.fill(kNoRow);
    for (std::size_t i = rules.rows.size(); i-- > 0;) {
        if (rules.rows[i].spelling.size() == 1) {
            rowOf_[rules.rows[i].spelling[0]] = static_cast<std::uint8_t>(i);
        }
    }
}

std::size_t LetterStage::apply(char32_t c, char32_t* out) const {
    if (passesThrough()) {
        out[0] = c;
        return 1;
    }
    const char32_t key = rules_.casing == Casing::LowerFirst ? LowerCase(c) : c;
    if (key < kLetterBound && rowOf_[key] != kNoRow) {
        const std::u32string_view piece = rules_.rows[rowOf_[key]].pieceFor(options_);
        std::copy(piece.begin(), piece.end(), out);
        return piece.size();
    }
    out[0] = rules_.casing == Casing::LowerFirst ? key : LowerCase(c);
    return 1;
}

std::size_t LetterStage::longestPiece() const noexcept {
    std::size_t longest = 1;
    for (const Row& row : rules_.rows) {
        longest = std::max({longest, row.piece.size(), row.pieceWhenFlagSet.size()});
    }
    return longest;
}

Transcriber::Transcriber(const ScanRules* reader, const ScanRules* writer,
                         ConversionOptions options, Road road)
    : passesThrough_(reader == nullptr && writer == nullptr) {
    if (reader != nullptr) {
        reader_ = LetterStage(*reader, options);
        // WellFormed() holds each table to what the tables below can take: two-letter
        // spellings of at most kPairLetters - 1 small letters, read from lower-cased text, and
        // pieces of at most two letters below kTabled.
        for (const Row& row : reader->rows) {
            readsPairs_ = readsPairs_ || row.spelling.size() == 2;
        }
    }
    if (writer != nullptr) {
        writer_ = LetterStage(*writer, options);
    }

    pieces_.resize(kNone + 1);
    for (char32_t c = 0; c < kTabled; ++c) {
        char32_t pivot[kLongestPiece];
        pieces_[c] = compose(pivot, reader_.apply(c, pivot));
    }
    if (readsPairs_) {
        // Places are given to the lower-case letters of the spellings; every character that
        // lower-cases to such a letter shares its place, so the scan need not lower-case.
        std::array<std::uint8_t, kTabled> place{};
        std::uint8_t places = 1;
        pairs_.fill(kNoPair);
        for (const Row& row : reader->rows) {
            if (row.spelling.size() != 2) {
                continue;
            }
            for (const char32_t letter : row.spelling) {
                if (place[letter] == 0) {
                    place[letter] = places++;
                }
            }
            const std::u32string_view piece = row.pieceFor(options);
            pairs_[place[row.spelling[0]] * kPairLetters + place[row.spelling[1]]] =
                static_cast<std::uint16_t>(pieces_.size());
            pieces_.push_back(compose(piece.data(), piece.size()));
        }
        pairLetter_.assign(kNone + 1, 0);
        for (char32_t c = 0; c < kTabled; ++c) {
            const char32_t lower = LowerCase(c);
            pairLetter_[c] = lower < kTabled ? place[lower] : 0;
        }
    }

    // A character beyond the tables becomes at most reader piece times writer piece characters
    // (of at most four bytes each, from at least two).
    const std::size_t general = reader_.longestPiece() * writer_.longestPiece();
    growth32_ = general;
    growth8_ = 2 * general;
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
        // A pair's piece comes for two characters; a single letter's may be held back and
        // come out with the next character, so it counts whole.
        const std::size_t units = i > kNone ? 2 : 1;
        growth32_ = std::max<std::size_t>(growth32_, (pieces_[i].u32Length + units - 1) / units);
        growth8_ = std::max<std::size_t>(growth8_, (pieces_[i].utf8Length + units - 1) / units);
    }
    // Detected once per Transcriber, which the core keeps free of global state.
    if (road == Road::Fastest && VectorScansAvailable()) {
        skipsInVector_ = passesThrough_;
        if (!passesThrough_) {
            buildKernelTables();
        }
    }
}

namespace {

// A piece as the vector scans write it, if they can: one or two bytes, neither of them 0.
std::optional<std::pair<std::uint8_t, std::uint8_t>> KernelPiece(std::span<const char> utf8) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(utf8[i]); };
    if (utf8.empty() || utf8.size() > 2 || byte(0) == 0 || (utf8.size() == 2 && byte(1) == 0)) {
        return std::nullopt;
    }
    return std::pair<std::uint8_t, std::uint8_t>(byte(0), utf8.size() == 2 ? byte(1) : 0);
}

// The values that make a perfect hash of two-letter spellings, as the pair scan reads them: a
// start value for each first letter and an end value for each second letter (1-15, distinct
// among each kind), such that every spelling's two values add, modulo 16, to a slot of its
// own. A first letter followed by a second letter that it does not spell with then lands in
// a slot whose start value is not its own.
struct PairHash {
    static constexpr std::size_t kSlots = 16;
    std::array<std::uint8_t, 16> start{};
    std::array<std::uint8_t, 16> end{};
};

// Given start values, the first end values that fit, if any.
bool FitEnds(const std::array<std::uint16_t, 256>& pairs, std::uint16_t noPair, PairHash& hash) {
    constexpr std::size_t kSlots = PairHash::kSlots;
    std::array<bool, kSlots> slotUsed{};
    std::array<bool, kSlots> endUsed{};
    for (std::size_t second = 1; second < 16; ++second) {
        const auto spells = [&](std::size_t first) { return pairs[first * 16 + second] != noPair; };
        bool any = false;
        for (std::size_t first = 1; first < 16; ++first) {
            any = any || spells(first);
        }
        hash.end[second] = 0;
        for (std::uint8_t value = 1; any && hash.end[second] == 0 && value < kSlots; ++value) {
            std::array<bool, kSlots> slots = slotUsed;
            bool free = !endUsed[value];
            for (std::size_t first = 1; first < 16 && free; ++first) {
                if (spells(first)) {
                    bool& slot = slots[(hash.start[first] + value) % kSlots];
                    free = !slot;
                    slot = true;
                }
            }
            if (free) {
                hash.end[second] = value;
                endUsed[value] = true;
                slotUsed = slots;
            }
        }
        if (any && hash.end[second] == 0) {
            return false;
        }
    }
    return true;
}

// Tries start values in order, then in orders shuffled by a fixed sequence: small tables
// fit at once or after a few tries.
std::optional<PairHash> FindPairHash(const std::array<std::uint16_t, 256>& pairs,
                                     std::uint16_t noPair) {
    std::array<std::uint8_t, PairHash::kSlots - 1> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<std::uint8_t>(i + 1);
    }
    std::uint32_t state = 0x9E3779B9U;
    for (int attempt = 0; attempt < 256; ++attempt) {
        PairHash hash;
        std::size_t starts = 0;
        for (std::size_t first = 1; first < 16; ++first) {
            for (std::size_t second = 1; second < 16; ++second) {
                if (pairs[first * 16 + second] != noPair && hash.start[first] == 0) {
                    if (starts == values.size()) {
                        return std::nullopt;
                    }
                    hash.start[first] = values[starts++];
                }
            }
        }
        if (FitEnds(pairs, noPair, hash)) {
            return hash;
        }
        for (std::size_t i = values.size() - 1; i > 0; --i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            std::swap(values[i], values[state % (i + 1)]);
        }
    }
    return std::nullopt;
}

} // namespace

bool Transcriber::passesUnchanged(char32_t c) const {
    if (c < kTabled) {
        const Piece& piece = pieces_[c];
        return piece.u32Length == 1 && piece.u32[0] == c && (!readsPairs_ || pairLetter_[c] == 0);
    }
    char32_t written[kLongestPiece * kLongestPiece];
    return LowerCase(c) == c && writeLetter(c, written) == written + 1 && written[0] == c;
}

void Transcriber::buildKernelTables() {
    KernelTables& k = kernel_;
    using Bytes = std::optional<std::pair<std::uint8_t, std::uint8_t>>;
    const auto bytesOf = [](const Piece& piece) {
        return KernelPiece(std::span(piece.utf8.data(), piece.utf8Length));
    };
    const auto put = [](KernelTables::Rows<8>& first, KernelTables::Rows<8>& second,
                        std::size_t index, Bytes bytes) {
        first[index / 16][index % 16] = bytes ? bytes->first : KernelTables::kUnfit;
        second[index / 16][index % 16] = bytes ? bytes->second : 0;
    };

    // ASCII: below 0x40 (and, folded, every character but a letter) must pass unchanged;
    // folding needs each upper-case letter to write what its lower-case one writes.
    bool asciiFits = true;
    k.foldsCase = true;
    for (char32_t c = 0; c < 0x80; ++c) {
        const bool letter = internal::AsciiLetter(c);
        asciiFits = asciiFits && (c < 0x40 ? passesUnchanged(c) : bytesOf(pieces_[c]).has_value());
        k.foldsCase = k.foldsCase && (letter || passesUnchanged(c));
        if (letter && c < U'a') {
            const Piece& upper = pieces_[c];
            const Piece& lower = pieces_[c + (U'a' - U'A')];
            k.foldsCase =
                k.foldsCase && upper.utf8 == lower.utf8 && upper.utf8Length == lower.utf8Length;
        }
    }
    for (char32_t c = 0x40; c < 0x80; ++c) {
        const Bytes bytes = bytesOf(pieces_[c]);
        const std::size_t index = k.foldsCase ? c - 0x60 : c - 0x40;
        if (!bytes || (k.foldsCase && (c < 0x60 || !internal::AsciiLetter(c)))) {
            continue; // left 0: the character itself
        }
        k.asciiFirst[index / 16][index % 16] = bytes->first;
        k.asciiSecond[index / 16][index % 16] = bytes->second;
    }

    // C3 xx and C5 xx letters; a letter of a two-letter spelling (once lower-cased) is not
    // theirs to take.
    for (const char32_t base : {0xC0, 0x140}) {
        for (char32_t c = base; c < base + 0x40; ++c) {
            const bool fits = !readsPairs_ || pairLetter_[c] == 0;
            put(k.latinFirst, k.latinSecond, (c & 0x3F) | (base == 0x140 ? 0x40 : 0),
                fits ? bytesOf(pieces_[c]) : std::nullopt);
        }
    }
    k.c2Passes = true;
    for (char32_t c = 0x80; c < 0xC0; ++c) {
        k.c2Passes = k.c2Passes && passesUnchanged(c);
    }
    k.punctuationPasses = true;
    for (char32_t c = 0x2000; c < 0x2080; ++c) {
        k.punctuationPasses = k.punctuationPasses && passesUnchanged(c);
    }

    if (!readsPairs_) {
        k.letters = asciiFits;
        return;
    }
    const std::optional<PairHash> hash = FindPairHash(pairs_, kNoPair);
    if (!hash || !k.foldsCase || !asciiFits) {
        return;
    }
    k.pairCheck.fill(0xFF); // no start value
    for (char32_t c = U'a'; c <= U'z'; ++c) {
        const std::size_t index = c - 0x60;
        k.pairStart[index / 16][index % 16] = hash->start[pairLetter_[c]];
        k.pairEnd[index / 16][index % 16] = hash->end[pairLetter_[c]];
    }
    bool pairsFit = true;
    for (std::size_t first = 1; first < kPairLetters; ++first) {
        for (std::size_t second = 1; second < kPairLetters; ++second) {
            const std::uint16_t row = pairs_[first * kPairLetters + second];
            if (row == kNoPair) {
                continue;
            }
            const std::size_t slot = (hash->start[first] + hash->end[second]) % PairHash::kSlots;
            const Bytes bytes = bytesOf(pieces_[row]);
            pairsFit = pairsFit && bytes.has_value();
            k.pairCheck[slot] = hash->start[first];
            k.pairFirst[slot] = bytes ? bytes->first : 0;
            k.pairSecond[slot] = bytes ? bytes->second : 0;
        }
    }
    k.pairs = pairsFit;
}

Transcriber::Piece Transcriber::compose(const char32_t* pivot, std::size_t length) const {
    Piece piece;
    char* utf8 = piece.utf8.data();
    for (std::size_t i = 0; i < length; ++i) {
        char32_t written[kLongestPiece];
        const std::size_t count = writer_.apply(pivot[i], written);
        for (std::size_t j = 0; j < count; ++j) {
            // Table letters lie below U+0180, so four of them fill at most eight bytes.
            piece.u32[piece.u32Length++] = written[j];
            utf8 = Put(written[j], utf8);
        }
    }
    piece.utf8Length = static_cast<std::uint8_t>(utf8 - piece.utf8.data());
    return piece;
}

std::size_t Transcriber::maxOutput(std::size_t units, bool utf8) const noexcept {
    // Room for the piece kept back for finish() and for the whole-piece stores of the scan.
    constexpr std::size_t kSlack = 32;
    if (passesThrough_) {
        return units + kSlack;
    }
    return units * (utf8 ? growth8_ : growth32_) + kSlack;
}

namespace {

template <typename Unit>
struct Store;

template <>
struct Store<char> {
    static char* Emit(const auto& piece, char* out) {
        std::memcpy(out, piece.utf8.data(), piece.utf8.size());
        return out + piece.utf8Length;
    }
};

template <>
struct Store<char32_t> {
    static char32_t* Emit(const auto& piece, char32_t* out) {
        std::memcpy(out, piece.u32.data(), sizeof piece.u32);
        return out + piece.u32Length;
    }
};

} // namespace

template <typename Unit>
Unit* Transcriber::writeLetter(char32_t c, Unit* out) const {
    char32_t pivot[kLongestPiece];
    const std::size_t count = reader_.apply(c, pivot);
    for (std::size_t i = 0; i < count; ++i) {
        char32_t written[kLongestPiece];
        const std::size_t writtenCount = writer_.apply(pivot[i], written);
        for (std::size_t j = 0; j < writtenCount; ++j) {
            out = Put(written[j], out);
        }
    }
    return out;
}

// Both scans copy the tables' addresses into locals: the byte stores of the output could
// otherwise alias the members and force a reload on every character.

template <typename Unit>
Transcriber::Scan<Unit> Transcriber::feedLetters(const Unit* p, const Unit* end, Unit* out) const {
    const Piece* const pieces = pieces_.data();
    bool mayCompose = false;
    while (p < end) {
        if constexpr (std::is_same_v<Unit, char>) {
            if (kernel_.letters && end - p >= kScanReach) {
                p = ScanLettersAvx2(kernel_, p, end, out);
                if (p == end) {
                    break;
                }
            }
        }
        // (The byte order of the word below is the little-endian one.)
        if constexpr (std::is_same_v<Unit, char> && std::endian::native == std::endian::little) {
            if (end - p >= 8) {
                // New text mixes ASCII and two-byte letters at random, and a branch on each
                // character's kind would often be guessed wrong. Instead all eight bytes ahead
                // are written as ASCII, and the output moves on only over those before the
                // first byte that is not.
                std::uint64_t word = 0;
                std::memcpy(&word, p, sizeof word);
                const std::uint64_t high = word & 0x8080808080808080ULL;
                const int ascii = high == 0 ? 8 : std::countr_zero(high) / 8;
                for (int i = 0; i < 8; ++i) {
                    const Piece& piece = pieces[(word >> (8 * i)) & 0x7F];
                    std::memcpy(out, piece.utf8.data(), piece.utf8.size());
                    out += i < ascii ? piece.utf8Length : 0;
                }
                p += ascii;
                if (ascii == 8) {
                    continue;
                }
            }
        }
        const Read read = Next(p, end);
        if (read.c < kTabled) [[likely]] {
            out = Store<Unit>::Emit(pieces[read.c], out);
        } else if (read.readable()) {
            mayCompose = mayCompose || MayCompose(read.c);
            out = writeLetter(read.c, out);
        } else {
            break;
        }
        p += read.units;
    }
    return {p, out, Stop::End, mayCompose};
}

template <typename Unit>
Transcriber::Scan<Unit> Transcriber::feedWithPairs(const Unit* p, const Unit* end, Unit* out,
                                                   Pending& pending) const {
    const Piece* const pieces = pieces_.data();
    const std::uint8_t* const pairLetter = pairLetter_.data();
    const std::uint16_t* const pairs = pairs_.data();
    bool mayCompose = false;

    // The previous character, not yet written, its place among the letters of two-letter
    // spellings, and whether the one before it took it into such a spelling. Whether two
    // characters spell a pair does not depend on that, so the scan carries only one flag from
    // character to character.
    std::uint32_t previous = pending.value_or(kNone);
    std::uint32_t previousLetter = pairLetter[previous];
    bool taken = false;
    const auto step = [&](std::uint32_t c) {
        const std::uint32_t letter = pairLetter[c];
        const std::uint32_t pair = pairs[previousLetter * kPairLetters + letter];
        const bool spells = pair != kNoPair;
        // Masks rather than branches: whether a pair is spelled is as good as random.
        const std::uint32_t spellsMask = 0U - static_cast<std::uint32_t>(spells);
        const std::uint32_t takenMask = 0U - static_cast<std::uint32_t>(taken);
        const std::uint32_t row = (pair & spellsMask) | (previous & ~spellsMask);
        out = Store<Unit>::Emit(pieces[(kNone & takenMask) | (row & ~takenMask)], out);
        taken = !taken && spells;
        previous = c;
        previousLetter = letter;
    };

    // Whether `previous` is the ASCII byte at p[-1], as the vector scan needs.
    bool asciiBehind = false;
    while (p < end) {
        if constexpr (std::is_same_v<Unit, char>) {
            if (kernel_.pairs && asciiBehind && end - p >= kScanReach) {
                p = ScanPairsAvx2(kernel_, p, end, out, taken);
                previous = static_cast<unsigned char>(p[-1]);
                previousLetter = pairLetter[previous];
                if (p == end) {
                    break;
                }
            }
        }
        // With the vector scan, one ASCII character is enough to hand back to it.
        if (!(kernel_.pairs && end - p >= kScanReach) && AsciiAhead(p, end)) {
            for (int i = 0; i < 8; ++i) {
                step(static_cast<unsigned char>(p[i]));
            }
            p += 8;
            asciiBehind = true;
            continue;
        }
        const Read read = Next(p, end);
        char32_t c = read.c;
        if (c >= kTabled) [[unlikely]] {
            if (!read.readable()) {
                break;
            }
            mayCompose = mayCompose || MayCompose(c);
            // Lower-casing may bring a rarer letter into the tables (KELVIN SIGN becomes "k").
            c = LowerCase(c);
            if (c >= kTabled) {
                out = Store<Unit>::Emit(pieces[taken ? kNone : previous], out);
                out = writeLetter(c, out);
                previous = kNone;
                previousLetter = 0;
                taken = false;
                p += read.units;
                asciiBehind = false;
                continue;
            }
        }
        step(c);
        p += read.units;
        asciiBehind = read.units == 1;
    }
    pending = taken || previous == kNone ? Pending() : Pending(static_cast<char16_t>(previous));
    return {p, out, Stop::End, mayCompose};
}

template <typename Unit>
Transcriber::Scan<Unit> Transcriber::feed(const Unit* begin, const Unit* end, Unit* out,
                                          Pending& pending) const {
    Scan<Unit> scan{end, out, Stop::End};
    if (passesThrough_) {
        // Even text that is not converted must be read to find where it stops being UTF-8.
        if constexpr (std::is_same_v<Unit, char>) {
            scan.stop = SkipUtf8(begin, end, skipsInVector_, scan.mayCompose);
        }
        scan.out = std::copy(begin, scan.stop, out);
    } else {
        scan = readsPairs_ ? feedWithPairs(begin, end, out, pending) : feedLetters(begin, end, out);
    }
    if constexpr (std::is_same_v<Unit, char>) {
        if (scan.stop < end) {
            scan.why = CutOff(scan.stop, end) ? Stop::CutOff : Stop::Invalid;
        }
    }
    return scan;
}

template <typename Unit>
Unit* Transcriber::finish(Unit* out, Pending& pending) const {
    if (pending) {
        out = Store<Unit>::Emit(pieces_[*pending], out);
    }
    pending.reset();
    return out;
}

bool Transcriber::pairs(char16_t held, char32_t next) const {
    if (!readsPairs_) {
        return false;
    }
    next = next < kTabled ? next : LowerCase(next);
    return next < kTabled &&
           pairs_[pairLetter_[held] * kPairLetters + pairLetter_[next]] != kNoPair;
}

template Transcriber::Scan<char> Transcriber::feed(const char*, const char*, char*, Pending&) const;
template Transcriber::Scan<char32_t> Transcriber::feed(const char32_t*, const char32_t*, char32_t*,
                                                       Pending&) const;
template char* Transcriber::finish(char*, Pending&) const;
template char32_t* Transcriber::finish(char32_t*, Pending&) const;

} // namespace orvani::detail
