#include "xml_events.h"

#include "nesting_limit.h"

#include <orvani/documents.h>
#include <orvani/internal/utf8.h>

#include <algorithm>
#include <expat.h>
#include <limits>
#include <memory>
#include <stdexcept>

namespace orvani::documents {
namespace {

struct ParserCloser {
    void operator()(XML_Parser parser) const noexcept { XML_ParserFree(parser); }
};

struct Reading {
    XML_Parser parser;
    std::string_view xml;
    const std::function<void(const XmlEvent&)>* handle;
    XmlNamespaces::Attributes attributes;
    XmlNamespaces namespaces;
    std::size_t lastStartEnd = 0;
    std::size_t depth = 0;
    std::string refused; // why reading was stopped, where it was this reader that stopped it
    std::exception_ptr fault;
};

std::size_t Here(const Reading& reading) {
    return static_cast<std::size_t>(XML_GetCurrentByteIndex(reading.parser));
}

std::size_t Length(const Reading& reading) {
    return static_cast<std::size_t>(XML_GetCurrentByteCount(reading.parser));
}

// Expat may still call a handler or two once stopped, such as an empty element's end.
bool Stopped(const Reading& reading) {
    return reading.fault || !reading.refused.empty();
}

void Refuse(Reading& reading, std::string why) {
    reading.refused = std::move(why);
    XML_StopParser(reading.parser, XML_FALSE);
}

// Whether `local`, which follows a colon, may begin a name: XML lets a name go on with
// characters it may not begin with ("-", ".", digits, U+00B7, combining marks, U+203F-U+2040).
bool BeginsAName(std::string_view local) {
    if (local.empty()) {
        return false;
    }
    const char32_t c = internal::DecodeUtf8(local, 0).c;
    return c != '-' && c != '.' && !(c >= '0' && c <= '9') && c != 0xB7 &&
           !(c >= 0x300 && c <= 0x36F) && c != 0x203F && c != 0x2040;
}

// Expat reads without namespaces, so that each name comes as written; a prefix nobody declared,
// or a colon where namespaces allow none (":b", "a:", "a:b:c", "a:-b"), would make a name mean
// nothing.
bool Undeclared(Reading& reading, std::string_view name) {
    const std::size_t colon = name.find(':');
    if (colon != std::string_view::npos && (colon == 0 || !BeginsAName(name.substr(colon + 1)) ||
                                            name.find(':', colon + 1) != std::string_view::npos)) {
        Refuse(reading, std::string(name) + " is not a name that namespaces allow");
        return true;
    }
    if (reading.namespaces.declares(name)) {
        return false;
    }
    Refuse(reading, "the prefix of " + std::string(name) + " is not declared");
    return true;
}

void Call(Reading& reading, const XmlEvent& event) {
    try {
        (*reading.handle)(event);
    } catch (...) {
        reading.fault = std::current_exception();
        XML_StopParser(reading.parser, XML_FALSE);
    }
}

extern "C" void OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto& reading = *static_cast<Reading*>(data);
    if (Stopped(reading)) {
        return;
    }
    if (++reading.depth > kDeepestNesting) {
        Refuse(reading, "elements nested more than " + std::to_string(kDeepestNesting) +
                            " deep, more than a document has");
        return;
    }
    reading.attributes.clear();
    for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
        reading.attributes.emplace_back(a[0], a[1]);
    }
    reading.namespaces.enter(reading.attributes);
    if (Undeclared(reading, name) || std::ranges::any_of(reading.attributes, [&](const auto& a) {
            return Undeclared(reading, a.first);
        })) {
        return;
    }
    const std::size_t begin = Here(reading);
    reading.lastStartEnd = begin + Length(reading);
    Call(reading, {XmlEvent::Kind::Start,
                   name,
                   reading.namespaces.element(name),
                   &reading.attributes,
                   &reading.namespaces,
                   {},
                   begin,
                   reading.lastStartEnd});
}

extern "C" void OnEnd(void* data, const XML_Char* name) {
    auto& reading = *static_cast<Reading*>(data);
    if (Stopped(reading)) {
        return;
    }
    const std::size_t begin = Here(reading);
    // An empty element's end comes with no bytes of its own: its start had them all.
    const std::size_t length = Length(reading);
    const std::size_t at = length == 0 ? reading.lastStartEnd : begin;
    Call(reading, {XmlEvent::Kind::End,
                   name,
                   reading.namespaces.element(name),
                   nullptr,
                   &reading.namespaces,
                   {},
                   at,
                   at + length});
    reading.namespaces.leave();
    --reading.depth;
}

extern "C" void OnText(void* data, const XML_Char* text, int length) {
    auto& reading = *static_cast<Reading*>(data);
    if (Stopped(reading)) {
        return;
    }
    const std::size_t begin = Here(reading);
    Call(reading, {XmlEvent::Kind::Text,
                   {},
                   {},
                   nullptr,
                   &reading.namespaces,
                   {text, static_cast<std::size_t>(length)},
                   begin,
                   begin + Length(reading)});
}

// Namespaces allow no colon in an instruction's target either.
extern "C" void OnInstruction(void* data, const XML_Char* target, const XML_Char*) {
    if (std::string_view(target).find(':') != std::string_view::npos) {
        Refuse(*static_cast<Reading*>(data),
               std::string(target) + " is not a name that namespaces allow");
    }
}

extern "C" void OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    Refuse(*static_cast<Reading*>(data),
           "a document type declaration, which documents of this kind never have, is refused "
           "(it could declare entities)");
}

extern "C" void OnEntityDeclaration(void* data, const XML_Char*, int, const XML_Char*, int,
                                    const XML_Char*, const XML_Char*, const XML_Char*,
                                    const XML_Char*) {
    Refuse(*static_cast<Reading*>(data), "entity declarations are refused");
}

} // namespace

void ReadXml(std::string_view xml, const std::string& part,
             const std::function<void(const XmlEvent&)>& handle) {
    if (xml.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw DocumentError(part, "too large to read");
    }
    const std::unique_ptr<XML_ParserStruct, ParserCloser> parser(XML_ParserCreate("UTF-8"));
    if (!parser) {
        throw std::bad_alloc();
    }
    Reading reading{parser.get(), xml, &handle, {}, {}, 0, 0, {}, {}};
    XML_SetUserData(parser.get(), &reading);
    XML_SetElementHandler(parser.get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser.get(), OnText);
    XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);
    XML_SetProcessingInstructionHandler(parser.get(), OnInstruction);
    XML_SetEntityDeclHandler(parser.get(), OnEntityDeclaration);
    // Nothing outside the part is ever read.
    XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
    // In pieces: expat copies what it is given into a buffer of its own, which would hold
    // the whole part once more.
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    XML_Status status = XML_STATUS_OK;
    for (std::size_t at = 0; status == XML_STATUS_OK;) {
        const std::size_t size = std::min(kPiece, xml.size() - at);
        const bool last = at + size == xml.size();
        status = XML_Parse(parser.get(), xml.data() + at, static_cast<int>(size),
                           last ? XML_TRUE : XML_FALSE);
        at += size;
        if (last) {
            break;
        }
    }
    if (reading.fault) {
        std::rethrow_exception(reading.fault);
    }
    if (status != XML_STATUS_OK) {
        const std::string why = !reading.refused.empty()
                                    ? reading.refused
                                    : XML_ErrorString(XML_GetErrorCode(parser.get()));
        throw DocumentError(
            part, "malformed XML at line " +
                      std::to_string(XML_GetCurrentLineNumber(parser.get())) + ", column " +
                      std::to_string(XML_GetCurrentColumnNumber(parser.get()) + 1) + ": " + why);
    }
}

const std::string* XmlEvent::attribute(const XmlName& wanted) const {
    for (const auto& [name, value] : *attributes) {
        if (namespaces->attribute(name) == wanted) {
            return &value;
        }
    }
    return nullptr;
}

std::string EscapeXml(std::string_view text, bool inAttribute) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += inAttribute ? "&quot;" : "\"";
            break;
        case '\t':
            out += inAttribute ? "&#9;" : "\t";
            break;
        case '\n':
            out += inAttribute ? "&#10;" : "\n";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void ByteEdits::replace(std::size_t begin, std::size_t end, std::string replacement) {
    edits_.push_back({begin, end, std::move(replacement), edits_.size()});
}

std::vector<const ByteEdits::Edit*> ByteEdits::sorted() const {
    std::vector<const Edit*> order;
    order.reserve(edits_.size());
    for (const Edit& edit : edits_) {
        order.push_back(&edit);
    }
    std::ranges::sort(order, [](const Edit* a, const Edit* b) {
        return a->begin != b->begin ? a->begin < b->begin
                                    : (a->end != b->end ? a->end < b->end : a->order < b->order);
    });
    return order;
}

void ByteEdits::write(std::string_view original, std::size_t until, std::size_t& copied,
                      std::string& out) const {
    for (const Edit* edit : sorted()) {
        if (edit->begin < copied || edit->end > until || edit->end < edit->begin) {
            throw std::logic_error("overlapping edits");
        }
        out.append(original.substr(copied, edit->begin - copied));
        out += edit->replacement;
        copied = edit->end;
    }
    out.append(original.substr(copied, until - copied));
    copied = until;
}

std::string ByteEdits::apply(std::string_view original) const {
    std::string out;
    out.reserve(original.size());
    std::size_t copied = 0;
    write(original, original.size(), copied, out);
    return out;
}

void ByteEdits::flush(std::string_view original, std::size_t until, std::size_t& copied,
                      std::string& out) {
    write(original, until, copied, out);
    edits_.clear();
}

} // namespace orvani::documents
