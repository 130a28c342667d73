#pragma once

// The rows that each standard is read and written by, straight from the core's private
// tables, for tests that build readers and writers of their own.

#include "letter_table.h"

#include <orvani/standard.h>

#include <optional>

namespace orvani::testing {

inline std::optional<detail::ScanRules> ReferenceReader(Standard standard) {
    switch (standard) {
    case Standard::Old:
        return detail::OldReading();
    case Standard::Script:
        return detail::ScriptReading();
    case Standard::New:
        break;
    }
    return std::nullopt;
}

inline std::optional<detail::ScanRules> ReferenceWriter(Standard standard) {
    switch (standard) {
    case Standard::Old:
        return detail::OldWriting();
    case Standard::Script:
        return detail::ScriptWriting();
    case Standard::New:
        break;
    }
    return std::nullopt;
}

} // namespace orvani::testing
