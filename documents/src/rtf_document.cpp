#include "font_choice.h"
#include "formats.h"
#include "paragraph.h"
#include "rtf_code_pages.h"
#include "rtf_fonts.h"
#include "rtf_text.h"
#include "rtf_tokenizer.h"
#include "xml_events.h"

#include <orvani/internal/utf8.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvani::documents {
namespace {

// Far deeper than any word processor writes, and shallow enough to hold.
constexpr std::size_t kDeepestGroup = 1000;
constexpr int kDefaultCodePage = 1252;

bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> words) {
    return std::ranges::find(words, word) != words.end();
}

// Destinations whose text no reader sees as the document's text: tables, pictures, fields'
// instructions, the text that a list writes before its items, bookmarks, shapes.
bool IsKeptDestination(std::string_view word) {
    return IsOneOf(word, {"colortbl",     "info",
                          "pict",         "nonshppict",
                          "shp",          "shpgrp",
                          "listtable",    "listoverridetable",
                          "revtbl",       "rsidtbl",
                          "fldinst",      "objdata",
                          "objclass",     "objname",
                          "bkmkstart",    "bkmkend",
                          "xe",           "tc",
                          "tcn",          "txe",
                          "rxe",          "listtext",
                          "pntext",       "pn",
                          "filetbl",      "userprops",
                          "datafield",    "template",
                          "themedata",    "colorschememapping",
                          "latentstyles", "datastore",
                          "xmlnstbl",     "generator",
                          "mmathPr",      "pgdsctbl",
                          "docvar",       "passwordhash",
                          "ftnsep",       "ftnsepc",
                          "aftnsep",      "aftnsepc",
                          "formfield",    "upr",
                          "private"});
}

// Kept destinations that mark a place without showing anything: a word goes on across them.
bool IsMarker(std::string_view word) {
    return word == "bkmkstart" || word == "bkmkend";
}

// Destinations with paragraphs of their own, inside the paragraph around them.
bool HasOwnParagraphs(std::string_view word) {
    return IsOneOf(word, {"footnote", "annotation", "header", "headerl", "headerr", "headerf",
                          "footer", "footerl", "footerr", "footerf"});
}

bool EndsParagraph(std::string_view word) {
    return IsOneOf(word, {"par", "sect", "cell", "nestcell", "row", "nestrow"});
}

// Control words that show as something other than a letter, so no spelling spans them.
bool IsBreak(std::string_view word) {
    return IsOneOf(word, {"tab",       "line",      "page",      "column",  "lbr",    "emdash",
                          "endash",    "emspace",   "enspace",   "qmspace", "bullet", "lquote",
                          "rquote",    "ldblquote", "rdblquote", "zwj",     "zwnj",   "zwbo",
                          "zwnbo",     "ltrmark",   "rtlmark",   "chdate",  "chdpl",  "chdpa",
                          "chtime",    "chpgn",     "sectnum",   "chftn",   "chatn",  "chftnsep",
                          "chftnsepc", "field",     "fldrslt",   "object",  "result"});
}

// The Script font's letters are all ASCII letter codes; a run without one needs no font.
bool HasLetter(std::string_view text) {
    return std::ranges::any_of(
        text, [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

// One RTF document read token by token: each paragraph's text is converted together, and
// each piece of text that changes is written anew in its place, in a group of its own where
// its font must change; every other byte stays as it was.
class RtfConverter {
public:
    RtfConverter(std::string_view rtf, const DocumentSettings& settings)
        : rtf_(rtf), settings_(settings), tokenizer_(rtf) {}

    std::string convert() {
        if (!rtf_.starts_with("{\\rtf")) {
            throw DocumentError("", "is not RTF: it does not begin with {\\rtf");
        }
        paragraphs_.emplace_back(settings_);
        for (;;) {
            const RtfToken token = tokenizer_.next();
            if (token.kind == RtfToken::Kind::End) {
                throw DocumentError(
                    "", "the document ends inside " + std::to_string(groups_.size()) +
                            (groups_.size() == 1 ? " group" : " groups") + "; it may be cut short");
            }
            handle(token);
            if (token.kind == RtfToken::Kind::ControlWord && !token.delimited) {
                wordEnd_ = token.end;
            }
            if (groups_.empty()) {
                break; // what follows the document's group is no part of it
            }
        }
        while (!paragraphs_.empty()) {
            finishParagraph();
        }
        if (!newFonts_.empty()) {
            if (fontTableEnd_) {
                edits_.insert(*fontTableEnd_, newFonts_);
            } else {
                edits_.insert(headerEnd_, "{\\fonttbl" + newFonts_ + "}");
            }
        }
        return edits_.apply(rtf_);
    }

private:
    struct Group {
        int font = -1;           // \fN
        int characterStyle = -1; // the font of \csN
        int paragraphStyle = -1; // the font of \sN
        int plainFont = -1;      // the last font in force that is not the Script font
        int skip = 1;            // \ucN
        bool ownParagraphs = false;
        bool breaksAtEnd = false;
    };
    struct Run {
        std::size_t begin;
        std::size_t end;
        std::size_t number;
        std::string original;
        bool converts;
        bool script;
        int plainFont;
        int codePage;
        int skip;
        bool afterWord; // just after a control word that no space ends
    };
    struct Paragraph {
        explicit Paragraph(const DocumentSettings& settings) : converter(settings) {}
        ParagraphConverter converter;
        std::vector<Run> runs;
    };
    // The text being read: bytes in its code page waiting to be decoded, and what is decoded.
    struct OpenRun {
        std::size_t begin;
        std::size_t end;
        bool afterWord;
        std::string bytes;
        std::string text;
    };

    void handle(const RtfToken& token) {
        using Kind = RtfToken::Kind;
        if (startingGroup_) {
            startingGroup_ = false;
            if (startGroup(token)) {
                return;
            }
        }
        if (skip_ > 0 && passOver(token)) {
            return;
        }
        switch (token.kind) {
        case Kind::GroupStart:
            endRun();
            if (groups_.size() >= kDeepestGroup) {
                throw DocumentError("", "groups nested more than " + std::to_string(kDeepestGroup) +
                                            " deep at byte " + std::to_string(token.begin));
            }
            groups_.push_back(groups_.empty() ? Group{} : groups_.back());
            groups_.back().ownParagraphs = false;
            groups_.back().breaksAtEnd = false;
            startingGroup_ = true;
            break;
        case Kind::GroupEnd:
            endGroup();
            break;
        case Kind::Text:
            for (std::size_t i = 0; i < token.text.size(); ++i) {
                if (token.text[i] == '\t') {
                    // A tab typed into the file, as \tab.
                    endRun();
                    paragraphs_.back().converter.breakHere();
                } else {
                    openRun(token.begin + i).bytes += token.text[i];
                    open_->end = token.begin + i + 1;
                }
            }
            break;
        case Kind::Hex:
            openRun(token.begin).bytes += static_cast<char>(token.byte);
            open_->end = token.end;
            break;
        case Kind::ControlSymbol:
            if (token.word == "\\" || token.word == "{" || token.word == "}") {
                openRun(token.begin);
                decodeBytes();
                open_->text += token.word;
                open_->end = token.end;
            } else {
                endRun();
                if (token.word != "-" && token.word != "*") {
                    paragraphs_.back().converter.breakHere(); // \~, \_ and the like
                }
            }
            break;
        case Kind::ControlWord:
            controlWord(token);
            break;
        case Kind::Binary:
            endRun();
            paragraphs_.back().converter.breakHere();
            break;
        case Kind::End:
            break;
        }
    }

    // The first token of a group, which may make it a destination; true where it is done with.
    bool startGroup(const RtfToken& token) {
        if (token.kind == RtfToken::Kind::ControlSymbol && token.word == "*") {
            // A destination that readers which do not know it pass over.
            keepGroup(SkipRtfGroup(tokenizer_));
            return true;
        }
        if (token.kind != RtfToken::Kind::ControlWord) {
            return false;
        }
        if (token.word == "fonttbl") {
            fontTableEnd_ = fonts_.readFontTable(tokenizer_, pages_, documentCodePage_);
            groups_.pop_back();
            return true;
        }
        if (token.word == "stylesheet") {
            fonts_.readStyleSheet(tokenizer_);
            groups_.pop_back();
            return true;
        }
        if (IsKeptDestination(token.word)) {
            SkipRtfGroup(tokenizer_);
            keepGroup(token.word);
            return true;
        }
        if (HasOwnParagraphs(token.word)) {
            paragraphs_.back().converter.breakHere();
            paragraphs_.emplace_back(settings_);
            groups_.back().ownParagraphs = true;
        } else if (IsBreak(token.word)) {
            paragraphs_.back().converter.breakHere();
            groups_.back().breaksAtEnd = true;
        }
        return false;
    }

    void keepGroup(std::string_view first) {
        groups_.pop_back();
        if (!IsMarker(first)) {
            paragraphs_.back().converter.breakHere();
        }
    }

    void endGroup() {
        endRun();
        skip_ = 0;
        const Group group = groups_.back();
        if (group.ownParagraphs) {
            finishParagraph();
        }
        if (group.breaksAtEnd) {
            paragraphs_.back().converter.breakHere();
        }
        groups_.pop_back();
    }

    // Within the fallback after \uN: passes over one character of it. A group ends the
    // fallback; so does the end of a text token that still has characters to spare.
    bool passOver(const RtfToken& token) {
        using Kind = RtfToken::Kind;
        if (token.kind == Kind::GroupStart || token.kind == Kind::GroupEnd) {
            skip_ = 0;
            return false;
        }
        if (token.kind == Kind::Text) {
            const std::size_t passed = std::min<std::size_t>(skip_, token.text.size());
            skip_ -= passed;
            if (open_) {
                open_->end = token.begin + passed;
            }
            if (passed < token.text.size()) {
                RtfToken rest = token;
                rest.text = token.text.substr(passed);
                rest.begin += passed;
                handle(rest);
            }
            return true;
        }
        --skip_;
        if (open_) {
            open_->end = token.end;
        }
        return true;
    }

    void controlWord(const RtfToken& token) {
        const std::string_view word = token.word;
        if (word == "u") {
            unicode(token);
            return;
        }
        endRun();
        Group& group = groups_.back();
        const int value = token.hasParameter ? token.parameter : 0;
        if (word == "uc") {
            group.skip = std::max(0, value);
        } else if (word == "f") {
            group.font = value;
        } else if (word == "plain") {
            group.font = -1;
            group.characterStyle = -1;
        } else if (word == "pard") {
            group.paragraphStyle = fonts_.styleFont(true, 0);
        } else if (word == "s") {
            group.paragraphStyle = fonts_.styleFont(true, value);
        } else if (word == "cs") {
            group.characterStyle = fonts_.styleFont(false, value);
        } else if (word == "deff") {
            defaultFont_ = value;
        } else if (word == "ansicpg") {
            documentCodePage_ = value;
        } else if (word == "mac" || word == "pc" || word == "pca") {
            documentCodePage_ = word == "mac" ? 10000 : word == "pc" ? 437 : 850;
        } else if (word.starts_with("rtf") && groups_.size() == 1) {
            headerEnd_ = token.end;
        } else if (EndsParagraph(word)) {
            finishParagraph();
            paragraphs_.emplace_back(settings_);
        } else if (IsBreak(word)) {
            paragraphs_.back().converter.breakHere();
        }
        if (const int font = currentFont(); font >= 0 && !fonts_.isScript(font, settings_)) {
            group.plainFont = font;
        }
    }

    // \uN, a UTF-16 unit as a signed number, and then \ucN fallback characters to pass over.
    void unicode(const RtfToken& token) {
        OpenRun& run = openRun(token.begin);
        decodeBytes();
        const auto unit =
            static_cast<char16_t>(token.parameter < 0 ? token.parameter + 65536 : token.parameter);
        if (unit >= 0xD800 && unit < 0xDC00) {
            highSurrogate_ = unit;
        } else if (unit >= 0xDC00 && unit < 0xE000 && highSurrogate_ != 0) {
            internal::AppendUtf8(run.text,
                                 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00));
            highSurrogate_ = 0;
        } else {
            internal::AppendUtf8(run.text, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
        }
        run.end = token.end;
        skip_ = static_cast<std::size_t>(groups_.back().skip);
    }

    OpenRun& openRun(std::size_t at) {
        if (!open_) {
            open_ = OpenRun{at, at, wordEnd_ == at, {}, {}};
        }
        return *open_;
    }

    void decodeBytes() {
        if (open_ && !open_->bytes.empty()) {
            pages_.decode(fonts_.codePage(currentFont(), documentCodePage_), open_->bytes,
                          open_->text);
            open_->bytes.clear();
        }
    }

    int currentFont() const {
        const Group& group = groups_.back();
        for (const int font : {group.font, group.characterStyle, group.paragraphStyle}) {
            if (font >= 0) {
                return font;
            }
        }
        return defaultFont_;
    }

    void endRun() {
        if (!open_) {
            return;
        }
        decodeBytes();
        if (highSurrogate_ != 0) {
            internal::AppendUtf8(open_->text, 0xFFFD);
            highSurrogate_ = 0;
        }
        const int font = currentFont();
        const bool script = fonts_.isScript(font, settings_);
        const bool converts =
            Converts(settings_, settings_.byFont && script) && !fonts_.isSymbol(font, settings_);
        Paragraph& paragraph = paragraphs_.back();
        const std::size_t number =
            converts ? paragraph.converter.add(open_->text) : paragraph.converter.keep(open_->text);
        paragraph.runs.push_back({open_->begin, open_->end, number, std::move(open_->text),
                                  converts, script, groups_.back().plainFont,
                                  fonts_.codePage(font, documentCodePage_), groups_.back().skip,
                                  open_->afterWord});
        open_.reset();
    }

    void finishParagraph() {
        Paragraph& paragraph = paragraphs_.back();
        paragraph.converter.finish();
        for (const Run& run : paragraph.runs) {
            rewrite(run, paragraph.converter.text(run.number));
        }
        paragraphs_.pop_back();
    }

    void rewrite(const Run& run, const std::string& converted) {
        const bool giveScript =
            settings_.to == Standard::Script && run.converts && !run.script && HasLetter(converted);
        const bool takeScript =
            ReadsScript(settings_) && run.converts && run.script && !converted.empty();
        if (!giveScript && !takeScript && converted == run.original) {
            return;
        }
        const int font = giveScript ? scriptFont() : takeScript ? plainFont(run) : -1;
        std::string out;
        if (font >= 0) {
            out = "{\\f" + std::to_string(font) + ' ';
        }
        AppendRtfText(converted,
                      font >= 0 ? fonts_.codePage(font, documentCodePage_) : run.codePage, run.skip,
                      pages_, out);
        if (font >= 0) {
            out += '}';
        }
        // A control word just before would take a letter, digit or space as its own.
        if (run.afterWord && !out.empty() && out.front() != '\\' && out.front() != '{') {
            out.insert(0, 1, ' ');
        }
        edits_.replace(run.begin, run.end, std::move(out));
    }

    int scriptFont() {
        int font = fonts_.find(settings_.scriptFont);
        if (font < 0) {
            font = addFont(settings_.scriptFont, "\\fnil");
        }
        return font;
    }

    // The font that text read from Script goes back to: the one around it, or else the
    // document's default, or else its first font that is neither Script nor symbols.
    int plainFont(const Run& run) {
        for (const int font : {run.plainFont, defaultFont_, fonts_.firstPlain(settings_)}) {
            if (font >= 0 && fonts_.font(font) != nullptr && !fonts_.isScript(font, settings_) &&
                !fonts_.isSymbol(font, settings_)) {
                return font;
            }
        }
        if (plainAdded_ < 0) {
            plainAdded_ = addFont("Times New Roman", "\\froman");
        }
        return plainAdded_;
    }

    int addFont(const std::string& name, std::string_view family) {
        std::string clean;
        std::ranges::copy_if(name, std::back_inserter(clean),
                             [](char c) { return c != ';' && c != '{' && c != '}' && c != '\\'; });
        const int number = fonts_.add(clean, std::max(defaultFont_, 0));
        newFonts_ += "{\\f" + std::to_string(number) + std::string(family) + "\\fcharset0 ";
        AppendRtfText(clean, kDefaultCodePage, 1, pages_, newFonts_);
        newFonts_ += ";}";
        return number;
    }

    std::string_view rtf_;
    const DocumentSettings& settings_;
    RtfTokenizer tokenizer_;
    RtfCodePages pages_;
    RtfFonts fonts_;
    std::vector<Group> groups_;
    std::vector<Paragraph> paragraphs_; // innermost last: a footnote's inside its paragraph
    std::optional<OpenRun> open_;
    std::size_t skip_ = 0; // fallback characters still to pass over
    char16_t highSurrogate_ = 0;
    bool startingGroup_ = false;
    std::size_t wordEnd_ = 0; // where the last control word that no space ends, ends
    int documentCodePage_ = kDefaultCodePage;
    int defaultFont_ = -1;
    int plainAdded_ = -1;
    std::optional<std::size_t> fontTableEnd_;
    std::size_t headerEnd_ = 0;
    std::string newFonts_;
    ByteEdits edits_;
};

} // namespace

std::string ConvertRtf(std::string_view rtf, const DocumentSettings& settings) {
    return RtfConverter(rtf, settings).convert();
}

} // namespace orvani::documents
