#include "html_fonts.h"

#include "font_choice.h"

#include <orvani/internal/ascii.h>

#include <algorithm>

namespace orvani::documents {
namespace {

std::string WithoutComments(std::string_view css) {
    std::string out;
    for (std::size_t at = 0; at < css.size();) {
        const std::size_t open = css.find("/*", at);
        out.append(css.substr(at, open - at));
        if (open == std::string_view::npos) {
            break;
        }
        const std::size_t close = css.find("*/", open + 2);
        at = close == std::string_view::npos ? css.size() : close + 2;
    }
    return out;
}

// Where the block that opens at `open` ('{') closes, blocks inside it included.
std::size_t BlockEnd(std::string_view css, std::size_t open) {
    int depth = 0;
    for (std::size_t at = open; at < css.size(); ++at) {
        depth += css[at] == '{' ? 1 : css[at] == '}' ? -1 : 0;
        if (depth == 0) {
            return at;
        }
    }
    return css.size();
}

std::vector<std::string_view> Split(std::string_view text, char by) {
    std::vector<std::string_view> pieces;
    for (std::size_t at = 0;;) {
        const std::size_t next = text.find(by, at);
        pieces.push_back(text.substr(at, next - at));
        if (next == std::string_view::npos) {
            return pieces;
        }
        at = next + 1;
    }
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::ranges::transform(lower, lower.begin(), internal::AsciiLower);
    return lower;
}

const HtmlAttribute* Find(const HtmlToken& tag, std::string_view name) {
    const auto found = std::ranges::find(tag.attributes, name, &HtmlAttribute::name);
    return found == tag.attributes.end() ? nullptr : &*found;
}

std::string ValueOf(const HtmlAttribute& attribute, std::string_view html) {
    return DecodeHtml(html.substr(attribute.valueBegin, attribute.valueEnd - attribute.valueBegin),
                      true);
}

} // namespace

std::optional<std::string> DeclaredFamily(std::string_view declarations) {
    std::optional<std::string> family;
    for (const std::string_view declaration : Split(declarations, ';')) {
        const std::size_t colon = declaration.find(':');
        if (colon == std::string_view::npos ||
            Lower(WithoutHtmlSpaceAround(declaration.substr(0, colon))) != "font-family") {
            continue;
        }
        const std::string_view value = WithoutHtmlSpaceAround(declaration.substr(colon + 1));
        if (!value.empty()) {
            family = FirstFamily(value); // the last declaration wins
        }
    }
    return family;
}

PageFonts::PageFonts(std::string_view html) {
    HtmlTokenizer tokens(html, 0);
    bool inStyle = false;
    while (const std::optional<HtmlToken> token = tokens.next()) {
        if (inStyle && token->kind == HtmlToken::Kind::RawText) {
            readSheet(html.substr(token->begin, token->end - token->begin));
        }
        inStyle = token->kind == HtmlToken::Kind::StartTag && token->name == "style";
    }
}

void PageFonts::readSheet(std::string_view sheet) {
    const std::string css = WithoutComments(sheet);
    for (std::size_t at = 0; at < css.size();) {
        const std::size_t open = css.find('{', at);
        if (open == std::string::npos) {
            return;
        }
        const std::size_t close = BlockEnd(css, open);
        const std::string_view prelude =
            WithoutHtmlSpaceAround(std::string_view(css).substr(at, open - at));
        const std::string_view block = std::string_view(css).substr(open + 1, close - open - 1);
        at = close + 1;
        const std::optional<std::string> family = DeclaredFamily(block);
        if (prelude.starts_with('@') || !family) {
            continue;
        }
        for (std::string_view selector : Split(prelude, ',')) {
            selector = WithoutHtmlSpaceAround(selector);
            if (selector.empty() || selector.find_first_of(" \t\n>+~[:()\\") != std::string::npos) {
                continue;
            }
            Rule rule{{}, {}, {}, 0, *family};
            std::size_t i = 0;
            const auto name = [&] {
                const std::size_t begin = i;
                while (i < selector.size() && selector[i] != '.' && selector[i] != '#') {
                    ++i;
                }
                return std::string(selector.substr(begin, i - begin));
            };
            if (selector[0] != '.' && selector[0] != '#') {
                rule.element = Lower(name());
                rule.specificity = rule.element == "*" ? 0 : 1;
                if (rule.element == "*") {
                    rule.element.clear();
                }
            }
            while (i < selector.size()) {
                const char kind = selector[i++];
                if (kind == '.') {
                    rule.classes.push_back(name());
                    rule.specificity += 100;
                } else {
                    rule.id = name();
                    rule.specificity += 10000;
                }
            }
            add(std::string(selector), std::move(rule));
        }
    }
}

void PageFonts::add(const std::string& selector, Rule rule) {
    const std::string key = !rule.id.empty()        ? "#" + rule.id
                            : !rule.classes.empty() ? "." + rule.classes.front()
                            : !rule.element.empty() ? rule.element
                                                    : "*";
    const auto [at, added] = bySelector_.insert_or_assign(selector, std::move(rule));
    at->second.order = ++order_;
    if (added) {
        byKey_[key].push_back(&at->second);
    }
}

void PageFonts::consider(const std::string& key, const HtmlToken& tag,
                         const std::vector<std::string_view>& classes, std::string_view id,
                         const Rule*& best) const {
    const auto bucket = byKey_.find(key);
    if (bucket == byKey_.end()) {
        return;
    }
    for (const Rule* rule : bucket->second) {
        const bool matches = (rule->element.empty() || rule->element == tag.name) &&
                             (rule->id.empty() || rule->id == id) &&
                             std::ranges::all_of(rule->classes, [&](const std::string& c) {
                                 return std::ranges::binary_search(classes, c);
                             });
        if (matches && (best == nullptr || rule->specificity > best->specificity ||
                        (rule->specificity == best->specificity && rule->order > best->order))) {
            best = rule;
        }
    }
}

std::optional<std::string> PageFonts::familyOf(const HtmlToken& tag, std::string_view html) const {
    if (const HtmlAttribute* style = Find(tag, "style")) {
        if (auto family = DeclaredFamily(ValueOf(*style, html))) {
            return family;
        }
    }
    const HtmlAttribute* classAttribute = Find(tag, "class");
    const std::string classList = classAttribute ? ValueOf(*classAttribute, html) : "";
    std::vector<std::string_view> classes;
    for (const std::string_view piece : Split(classList, ' ')) {
        if (!WithoutHtmlSpaceAround(piece).empty()) {
            classes.push_back(WithoutHtmlSpaceAround(piece));
        }
    }
    // clang 14 cannot build the subrange that std::ranges::unique returns.
    std::sort(classes.begin(), classes.end());
    classes.erase(std::unique(classes.begin(), classes.end()), classes.end());
    const HtmlAttribute* idAttribute = Find(tag, "id");
    const std::string id = idAttribute ? ValueOf(*idAttribute, html) : "";
    const Rule* best = nullptr;
    if (!id.empty()) {
        consider("#" + id, tag, classes, id, best);
    }
    std::string selector;
    for (const std::string_view c : classes) {
        // Built a character at a time: GCC 12 warns falsely (-Wrestrict) on "." + string.
        selector.clear();
        selector.push_back('.');
        selector.append(c);
        consider(selector, tag, classes, id, best);
    }
    consider(tag.name, tag, classes, id, best);
    consider("*", tag, classes, id, best);
    if (best != nullptr) {
        return best->family;
    }
    if (tag.name == "font") {
        if (const HtmlAttribute* face = Find(tag, "face")) {
            return FirstFamily(ValueOf(*face, html));
        }
    }
    return std::nullopt;
}

} // namespace orvani::documents
