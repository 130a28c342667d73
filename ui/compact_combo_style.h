#pragma once

#include <QProxyStyle>

// The window's lists are as narrow as the classic layout made them; a slimmer drop-down
// button leaves room for their longest item, "Orvani Script".
class CompactComboStyle : public QProxyStyle {
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override;
};
