#include "option_panel.h"

namespace orvani::window {

std::optional<OptionPanel> OptionPanelFor(std::optional<Standard> left,
                                          std::optional<Standard> right) noexcept {
    struct Row {
        Standard left;
        Standard right;
        OptionPanel panel;
    };
    static constexpr Row kRows[] = {
        {Standard::Old, Standard::New, {"oh/uh -> o/u", "ah/a -> a/æ"}},
        {Standard::New, Standard::Old, {"o/u -> oh/uh", std::nullopt}},
        {Standard::Old, Standard::Script, {"oh/uh -> o/u", "ah/a -> a/I"}},
        {Standard::Script, Standard::Old, {"o/u -> oh/uh", std::nullopt}},
    };
    for (const Row& row : kRows) {
        if (left == row.left && right == row.right) {
            return row.panel;
        }
    }
    return std::nullopt;
}

} // namespace orvani::window
