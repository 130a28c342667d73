#pragma once

// The window's one layout: every control with its kind, place and size in twips, caption,
// tool tip and tab index, in the order the window describes them. The Qt and the Win32 window
// both build themselves from this table, so they cannot drift apart.

#include <array>
#include <string_view>

namespace orvani::window {

// 1 twip = 1/1440 inch: 15 twips a pixel at 96 pixels per inch.
inline constexpr int kTwipsPerInch = 1440;

inline constexpr std::string_view kTitle = "Orvani Converter";
inline constexpr int kClientWidth = 9345;
inline constexpr int kClientHeight = 6165;

// The two text boxes' font; every other control keeps the toolkit's dialog font.
inline constexpr std::string_view kTextFontFamily = "Arial";
inline constexpr double kTextFontPoints = 8.25;

enum class ControlKind { TextBox, List, CheckBox, Label, Line, Button, PictureButton };

enum class Picture { None, Copy, Paste };

struct ControlEntry {
    std::string_view name;
    ControlKind kind;
    int left;
    int top;
    int width;
    int height;
    int tabIndex;             // -1: none; labels carry one but take no part in the tab order
    std::string_view caption; // UTF-8; a list's items are separated by '\n'
    std::string_view toolTip; // empty: none
    Picture picture = Picture::None;
    unsigned colour = 0; // a line's colour, 0xRRGGBB
};

// A line runs one pixel high, 15 twips at 96 pixels per inch. Line2 is drawn a whole pixel
// below Line1 so that the two lie on adjacent pixel rows, dark above light, at any DPI.
inline constexpr std::array kControls = {
    ControlEntry{"chkA", ControlKind::CheckBox, 4080, 3720, 1215, 255, 7, "ah/a -> a/æ",
                 "Disable this option to prevent \"a\" from becoming \"æ\"/\"I\"."},
    ControlEntry{"chkOU", ControlKind::CheckBox, 4080, 3480, 1215, 255, 6, "oh/uh -> o/u",
                 "Choose if you want \"h\"s with o and u."},
    ControlEntry{"cmdCopy", ControlKind::PictureButton, 4680, 5160, 615, 495, 9, "",
                 "Copy right window to the clipboard.", Picture::Copy},
    ControlEntry{"cmdPaste", ControlKind::PictureButton, 4080, 5160, 615, 495, 8, "",
                 "Paste clipboard to left window.", Picture::Paste},
    ControlEntry{"comType", ControlKind::List, 4080, 2640, 1215, 315, 5, "Plain\nHTML", ""},
    ControlEntry{"comR", ControlKind::List, 4080, 1800, 1215, 315, 4, "Old\nNew\nOrvani Script",
                 "Select the standard to be used for the output."},
    ControlEntry{"comL", ControlKind::List, 4080, 1200, 1215, 315, 3, "Old\nNew\nOrvani Script",
                 "Select the standard of the text to the left."},
    ControlEntry{"cmdConv", ControlKind::Button, 4080, 120, 1215, 615, 2, "&Convert ->",
                 "Convert text."},
    ControlEntry{"txtR", ControlKind::TextBox, 5400, 120, 3855, 5535, 1, "",
                 "Output text - use STRG-ENTER for breaking lines."},
    ControlEntry{"txtL", ControlKind::TextBox, 120, 120, 3855, 5535, 0, "",
                 "Input text - use STRG-ENTER for breaking lines."},
    ControlEntry{"lblOpt", ControlKind::Label, 4080, 3240, 1215, 255, 15, "Options:", ""},
    ControlEntry{"Label5", ControlKind::Label, 120, 5880, 4215, 255, 14,
                 "Orvani Converter 1.00 \u2013 https://orvani.example.org", ""},
    ControlEntry{"Line2", ControlKind::Line, 120, 5775, 9120, 15, -1, "", "", Picture::None,
                 0xE0E0E0},
    ControlEntry{"Line1", ControlKind::Line, 120, 5760, 9120, 15, -1, "", "", Picture::None,
                 0x808080},
    ControlEntry{"Label4", ControlKind::Label, 6600, 5880, 2640, 195, 13,
                 "2026, info@orvani.example.org", ""},
    ControlEntry{"Label3", ControlKind::Label, 4080, 2400, 1215, 255, 12, "Document Type", ""},
    ControlEntry{"Label2", ControlKind::Label, 4080, 1560, 1215, 255, 11, "Right Standard", ""},
    ControlEntry{"Label1", ControlKind::Label, 4080, 960, 1215, 255, 10, "Left Standard", ""},
};

// The control of that name; naming one that the table lacks does not compile where the name
// is a constant.
consteval const ControlEntry& Control(std::string_view name) {
    for (const ControlEntry& control : kControls) {
        if (control.name == name) {
            return control;
        }
    }
    throw "no such control";
}

// Whether Tab visits the control: everything with a tab index but the labels. The document
// type list is skipped too, but only because it is disabled.
constexpr bool TakesTabStop(const ControlEntry& control) {
    return control.tabIndex >= 0 && control.kind != ControlKind::Label &&
           control.kind != ControlKind::Line;
}

// Twips as pixels at `dpi`, rounded down as the window's own pixel figures are.
constexpr int Pixels(int twips, int dpi) {
    return twips * dpi / kTwipsPerInch;
}

// Where a window of `length` opens along one axis of a free area: centred, or at the area's
// start where the area is shorter, so that the title bar stays in reach.
constexpr int CentredStart(int areaStart, int areaLength, int length) {
    return areaLength < length ? areaStart : areaStart + (areaLength - length) / 2;
}

} // namespace orvani::window
