#include "shared_transcribers.h"

#include <array>
#include <cstddef>
#include <optional>
#include <utility>

namespace orvani::detail {
namespace {

std::optional<ScanRules> ReaderOf(Standard standard) noexcept {
    switch (standard) {
    case Standard::Old:
        return OldReading();
    case Standard::Script:
        return ScriptReading();
    case Standard::New:
        break;
    }
    return std::nullopt; // New text is already pivot text
}

std::optional<ScanRules> WriterOf(Standard standard) noexcept {
    switch (standard) {
    case Standard::Old:
        return OldWriting();
    case Standard::Script:
        return ScriptWriting();
    case Standard::New:
        break;
    }
    return std::nullopt;
}

constexpr std::size_t kOptionSets = 4;
constexpr std::size_t kSlots = kStandards.size() * kStandards.size() * kOptionSets;

constexpr std::size_t SlotOf(Standard source, Standard target, ConversionOptions options) {
    const auto index = [](Standard standard) { return static_cast<std::size_t>(standard); };
    return ((index(source) * kStandards.size() + index(target)) * kOptionSets) +
           (options.a ? 2 : 0) + (options.ohUh ? 1 : 0);
}

// Transcriber or CaseKeeping, for the pair and options of `slot`.
template <typename Conversion>
Conversion Build(std::size_t slot) {
    const Standard source = kStandards[slot / kOptionSets / kStandards.size()];
    const Standard target = kStandards[slot / kOptionSets % kStandards.size()];
    const ConversionOptions options{.a = (slot & 2) != 0, .ohUh = (slot & 1) != 0};
    const auto reader = ReaderOf(source);
    const auto writer = WriterOf(target);
    return {reader ? &*reader : nullptr, writer ? &*writer : nullptr, options};
}

// One function-local static a slot: each is built on its first use, once, however many
// threads ask at the same time, and the conversions that are never used cost nothing.
template <typename Conversion, std::size_t Slot>
const Conversion& Compiled() {
    static const Conversion conversion = Build<Conversion>(Slot);
    return conversion;
}

template <typename Conversion, std::size_t... Slots>
constexpr auto MakeSlots(std::index_sequence<Slots...>) {
    return std::array<const Conversion& (*)(), sizeof...(Slots)>{&Compiled<Conversion, Slots>...};
}

constexpr auto kCompiled = MakeSlots<Transcriber>(std::make_index_sequence<kSlots>());
constexpr auto kCaseKeeping = MakeSlots<CaseKeeping>(std::make_index_sequence<kSlots>());

// Slots are numbered by each standard's value, which is its place in kStandards.
static_assert([] {
    for (std::size_t i = 0; i < kStandards.size(); ++i) {
        if (static_cast<std::size_t>(kStandards[i]) != i) {
            return false;
        }
    }
    return true;
}());

} // namespace

const Transcriber& SharedTranscriber(Standard source, Standard target, ConversionOptions options) {
    return kCompiled[SlotOf(source, target, options)]();
}

const CaseKeeping* SharedCaseKeeping(Standard source, Standard target, ConversionOptions options) {
    if (!options.keepCase || source == Standard::Script || target == Standard::Script) {
        return nullptr;
    }
    return &kCaseKeeping[SlotOf(source, target, options)]();
}

} // namespace orvani::detail
