#include "rtf_fonts.h"

#include "font_choice.h"

#include <algorithm>

namespace orvani::documents {
namespace {

constexpr int kSymbolCharset = 2;

RtfToken Next(RtfTokenizer& tokenizer) {
    RtfToken token = tokenizer.next();
    if (token.kind == RtfToken::Kind::End) {
        throw DocumentError("", "the document ends inside a group at byte " +
                                    std::to_string(token.begin) + "; it may be cut short");
    }
    return token;
}

std::string Trimmed(std::string name) {
    const std::size_t first = name.find_first_not_of(' ');
    const std::size_t last = name.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
}

} // namespace

std::string_view SkipRtfGroup(RtfTokenizer& tokenizer) {
    std::string_view first;
    for (std::size_t depth = 1; depth > 0;) {
        const RtfToken token = Next(tokenizer);
        if (token.kind == RtfToken::Kind::GroupStart) {
            ++depth;
        } else if (token.kind == RtfToken::Kind::GroupEnd) {
            --depth;
        } else if (token.kind == RtfToken::Kind::ControlWord && first.empty()) {
            first = token.word;
        }
    }
    return first;
}

std::size_t RtfFonts::readFontTable(RtfTokenizer& tokenizer, RtfCodePages& pages, int codePage) {
    // Entries are groups ({\f0\fcharset0 Arial;}) or follow one another (\f0 Arial;\f1 ...).
    int number = -1;
    Font entry;
    std::string bytes;
    const auto finish = [&] {
        if (number >= 0) {
            const int entryCodePage = entry.codePage.value_or(
                CodePageOfCharset(entry.charset.value_or(0)).value_or(codePage));
            pages.decode(entryCodePage, bytes, entry.name);
            entry.name = Trimmed(std::move(entry.name));
            fonts_.insert_or_assign(number, std::move(entry));
        }
        number = -1;
        entry = {};
        bytes.clear();
    };
    for (std::size_t depth = 1;;) {
        const RtfToken token = Next(tokenizer);
        switch (token.kind) {
        case RtfToken::Kind::GroupStart:
            if (depth == 2) {
                SkipRtfGroup(tokenizer); // \*\panose, \*\falt and the like
            } else {
                ++depth;
            }
            break;
        case RtfToken::Kind::GroupEnd:
            if (--depth == 0) {
                finish();
                return token.begin;
            }
            finish();
            break;
        case RtfToken::Kind::ControlWord:
            if (token.word == "f") {
                number = token.parameter;
            } else if (token.word == "fcharset") {
                entry.charset = token.parameter;
            } else if (token.word == "cpg") {
                entry.codePage = token.parameter;
            }
            break;
        case RtfToken::Kind::Text:
            for (const char c : token.text) {
                if (c == ';') {
                    finish();
                } else {
                    bytes += c;
                }
            }
            break;
        case RtfToken::Kind::Hex:
            bytes += static_cast<char>(token.byte);
            break;
        default:
            break;
        }
    }
}

void RtfFonts::readStyleSheet(RtfTokenizer& tokenizer) {
    for (std::size_t depth = 1; depth > 0;) {
        const RtfToken token = Next(tokenizer);
        if (token.kind == RtfToken::Kind::GroupEnd) {
            --depth;
            continue;
        }
        if (token.kind != RtfToken::Kind::GroupStart) {
            continue;
        }
        // One style: {\s1\sbasedon0\f2 Name;} or {\*\cs10\additive\f2 Name;}.
        bool paragraph = true;
        int number = 0;
        Style style;
        for (;;) {
            const RtfToken inner = Next(tokenizer);
            if (inner.kind == RtfToken::Kind::GroupEnd) {
                break;
            }
            if (inner.kind == RtfToken::Kind::GroupStart) {
                SkipRtfGroup(tokenizer);
            } else if (inner.kind == RtfToken::Kind::ControlWord) {
                if (inner.word == "s" || inner.word == "cs" || inner.word == "ds" ||
                    inner.word == "ts") {
                    paragraph = inner.word == "s";
                    number = inner.parameter;
                } else if (inner.word == "f") {
                    style.font = inner.parameter;
                } else if (inner.word == "sbasedon") {
                    style.basedOn = inner.parameter;
                }
            }
        }
        styles_.insert_or_assign(std::pair{paragraph, number}, style);
    }
}

const RtfFonts::Font* RtfFonts::font(int number) const {
    const auto found = fonts_.find(number);
    return found == fonts_.end() ? nullptr : &found->second;
}

int RtfFonts::styleFont(bool paragraph, int style) const {
    // A style based on itself, directly or not, must not hold the reader.
    for (std::size_t steps = 0; steps <= styles_.size(); ++steps) {
        const auto found = styles_.find({paragraph, style});
        if (found == styles_.end()) {
            return -1;
        }
        if (found->second.font >= 0) {
            return found->second.font;
        }
        style = found->second.basedOn;
    }
    return -1;
}

bool RtfFonts::isScript(int number, const DocumentSettings& settings) const {
    const Font* entry = font(number);
    return entry != nullptr && IsScriptFont(entry->name, settings);
}

bool RtfFonts::isSymbol(int number, const DocumentSettings& settings) const {
    const Font* entry = font(number);
    return entry != nullptr && entry->charset == kSymbolCharset &&
           !IsScriptFont(entry->name, settings);
}

int RtfFonts::codePage(int number, int documentCodePage) const {
    const Font* entry = font(number);
    if (entry == nullptr) {
        return documentCodePage;
    }
    if (entry->codePage) {
        return *entry->codePage;
    }
    return entry->charset ? CodePageOfCharset(*entry->charset).value_or(documentCodePage)
                          : documentCodePage;
}

int RtfFonts::find(std::string_view name) const {
    for (const auto& [number, entry] : fonts_) {
        if (internal::EqualsIgnoringAsciiCase(entry.name, name)) {
            return number;
        }
    }
    return -1;
}

int RtfFonts::firstPlain(const DocumentSettings& settings) const {
    for (const auto& [number, entry] : fonts_) {
        if (!IsScriptFont(entry.name, settings) && entry.charset != kSymbolCharset) {
            return number;
        }
    }
    return -1;
}

int RtfFonts::add(std::string name, int above) {
    const int number = std::max(above, fonts_.empty() ? -1 : fonts_.rbegin()->first) + 1;
    fonts_.emplace(number, Font{std::move(name), 0, std::nullopt});
    return number;
}

} // namespace orvani::documents
