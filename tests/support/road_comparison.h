#pragma once

// Runs UTF-8 through a Transcriber's vector road and through its scalar road, for tests that
// hold the first to the second: same output, same stops, same letter held back.

#include "reference_rules.h"
#include "transcriber.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvani::testing {

inline detail::Transcriber MakeTranscriber(Standard source, Standard target,
                                           ConversionOptions options,
                                           detail::Transcriber::Road road) {
    const auto reader = ReferenceReader(source);
    const auto writer = ReferenceWriter(target);
    return {reader ? &*reader : nullptr, writer ? &*writer : nullptr, options, road};
}

// What a road did with a text fed in two pieces, cut at `cut`: everything written, then each
// feed's stop, reason and held letter. `overrun` tells of a write past the room asked for.
struct RoadRun {
    std::string out;
    std::vector<std::size_t> trace;
    bool overrun = false;

    bool operator==(const RoadRun&) const = default;
};

inline RoadRun RunRoad(const detail::Transcriber& transcriber, std::string_view text,
                       std::size_t cut) {
    constexpr std::size_t kGuard = 64;
    constexpr char kGuardByte = '\x5A';
    RoadRun run;
    detail::Transcriber::Pending pending;
    std::vector<char> buffer;
    const auto guarded = [&](std::size_t room) {
        buffer.assign(room + kGuard, kGuardByte);
        return room;
    };
    const auto checkGuard = [&](std::size_t room) {
        for (std::size_t i = room; i < buffer.size(); ++i) {
            run.overrun = run.overrun || buffer[i] != kGuardByte;
        }
    };
    std::size_t at = 0;
    for (const std::size_t until : {std::min(cut, text.size()), text.size()}) {
        const std::size_t room = guarded(transcriber.maxOutput(until - at, true));
        const auto scan =
            transcriber.feed(text.data() + at, text.data() + until, buffer.data(), pending);
        checkGuard(room);
        run.out.append(buffer.data(), scan.out);
        at = static_cast<std::size_t>(scan.stop - text.data());
        run.trace.insert(run.trace.end(),
                         {at, static_cast<std::size_t>(scan.why),
                          pending ? std::size_t{*pending} + 1 : 0, std::size_t{scan.mayCompose}});
        if (scan.why == detail::Transcriber::Stop::Invalid) {
            break;
        }
    }
    const std::size_t room = guarded(transcriber.maxOutput(0, true));
    run.out.append(buffer.data(), transcriber.finish(buffer.data(), pending));
    checkGuard(room);
    return run;
}

} // namespace orvani::testing
