#pragma once

// The option panel for a pair of standards: which of the "a" and "oh/uh" boxes the pair uses,
// and their captions.

#include <orvani/standard.h>

#include <optional>
#include <string_view>

namespace orvani::window {

struct OptionPanel {
    std::string_view ohUhCaption;
    std::optional<std::string_view> aCaption; // none: chkA hidden, its caption unchanged
};

// None for a pair that takes no option: then the whole panel is hidden.
[[nodiscard]] std::optional<OptionPanel> OptionPanelFor(std::optional<Standard> left,
                                                        std::optional<Standard> right) noexcept;

} // namespace orvani::window
