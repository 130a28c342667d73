#include "compact_combo_style.h"

#include <QStyleOption>

QRect CompactComboStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                        SubControl part, const QWidget* widget) const {
    if (control != CC_ComboBox || (part != SC_ComboBoxArrow && part != SC_ComboBoxEditField)) {
        return QProxyStyle::subControlRect(control, option, part, widget);
    }
    constexpr int kFrame = 2;
    constexpr int kArrow = 11;
    const QRect inside = option->rect.adjusted(kFrame, kFrame, -kFrame, -kFrame);
    const QRect rect = part == SC_ComboBoxArrow ? QRect(inside.right() - kArrow + 1, inside.top(),
                                                        kArrow, inside.height())
                                                : inside.adjusted(0, 0, -kArrow, 0);
    return visualRect(option->direction, option->rect, rect);
}
