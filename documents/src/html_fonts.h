#pragma once

#include "html_tokenizer.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvani::documents {

// The font family that a page gives an element itself, as browsers cascade it: the element's
// style attribute, else the most specific and then the last of the font-family rules in the
// page's own <style> elements that select it, else <font face>. Rules are followed only where
// each selector is one element name, class and id, or "*" (as "p", ".orv", "span.orv#w"); any
// other selector, at-rules, !important, the font shorthand, escapes and linked style sheets
// are not.
class PageFonts {
public:
    // Reads the rules of every <style> element of `html`.
    explicit PageFonts(std::string_view html);

    // The first family that the element of start tag `tag` is given, or nothing where it
    // inherits its parent's.
    [[nodiscard]] std::optional<std::string> familyOf(const HtmlToken& tag,
                                                      std::string_view html) const;

private:
    struct Rule {
        std::string element; // empty for any
        std::vector<std::string> classes;
        std::string id;
        int specificity;
        std::string family;
    };

    void readSheet(std::string_view css);

    std::vector<Rule> rules_; // in the page's order
};

// The first family of the font-family declaration in `declarations` (a rule's or a style
// attribute's), or nothing.
[[nodiscard]] std::optional<std::string> DeclaredFamily(std::string_view declarations);

} // namespace orvani::documents
