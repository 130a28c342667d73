// Writes window_text.js, the page's captions, tool tips, standards and option panels, from the
// window's own tables, so that the page and the window cannot word a control differently.
// Built for Node.js and run once as the page is built.

#include <orvani/standard.h>
#include <orvani/version.h>

#include <cstdio>
#include <frm_main_controls.h>
#include <option_panel.h>
#include <optional>
#include <string>
#include <string_view>

namespace {

std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + '"';
}

// A Windows caption's "&" marks its access key and is not shown; "&&" shows one "&".
struct Caption {
    std::string text;
    std::optional<char> accessKey;
};

Caption Shown(std::string_view caption) {
    Caption shown;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&' || i + 1 == caption.size()) {
            shown.text += caption[i];
        } else if (caption[++i] == '&') {
            shown.text += '&';
        } else {
            const char key = caption[i];
            shown.accessKey = key >= 'A' && key <= 'Z' ? static_cast<char>(key - 'A' + 'a') : key;
            shown.text += key;
        }
    }
    return shown;
}

} // namespace

int main() {
    using namespace orvani;
    std::string js = "// Written by web/make_window_text.cpp from the window's tables: change "
                     "those, not this.\n";
    js += "export const title = " + Quoted(window::kTitle) + ";\n";
    js += "export const version = " + Quoted(kVersion) + ";\n";

    // In the order of kStandards, whose index the core's C API takes.
    js += "export const standards = [\n";
    for (const Standard standard : kStandards) {
        js += "  { short: " + Quoted(ShortName(standard)) +
              ", name: " + Quoted(DisplayName(standard)) + " },\n";
    }
    js += "];\n";

    js += "export const controls = {\n";
    for (const window::ControlEntry& control : window::kControls) {
        const Caption caption = Shown(control.caption);
        js += "  " + std::string(control.name) + ": { caption: " + Quoted(caption.text);
        if (caption.accessKey) {
            js += ", accessKey: " + Quoted(std::string(1, *caption.accessKey));
        }
        js += ", toolTip: " + Quoted(control.toolTip) + " },\n";
    }
    js += "};\n";

    // Keyed "left>right" by short names; a pair that is missing shows no options.
    js += "export const optionPanels = {\n";
    for (const Standard left : kStandards) {
        for (const Standard right : kStandards) {
            const std::optional<window::OptionPanel> panel = window::OptionPanelFor(left, right);
            if (!panel) {
                continue;
            }
            js += "  " +
                  Quoted(std::string(ShortName(left)) + ">" + std::string(ShortName(right))) +
                  ": { ohUh: " + Quoted(panel->ohUhCaption) +
                  ", a: " + (panel->aCaption ? Quoted(*panel->aCaption) : "null") + " },\n";
        }
    }
    js += "};\n";
    std::fputs(js.c_str(), stdout);
    return std::ferror(stdout) != 0 ? 1 : 0;
}
