#include "document_properties.h"

#include "font_choice.h"
#include "paragraph.h"
#include "xml_events.h"

#include <algorithm>
#include <array>
#include <vector>

namespace orvani::documents {
namespace {

constexpr std::string_view kDc = "http://purl.org/dc/elements/1.1/";
constexpr std::string_view kCore =
    "http://schemas.openxmlformats.org/package/2006/metadata/core-properties";
constexpr std::string_view kOffice = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view kMeta = "urn:oasis:names:tc:opendocument:xmlns:meta:1.0";

// Each element that holds properties, with the properties a reader sees in it.
struct Holder {
    XmlName holder;
    std::array<XmlName, 3> properties;
};
constexpr std::array<Holder, 2> kHolders{{
    {{kCore, "coreProperties"}, {{{kDc, "title"}, {kDc, "subject"}, {kCore, "keywords"}}}},
    {{kOffice, "meta"}, {{{kDc, "title"}, {kDc, "subject"}, {kMeta, "keyword"}}}},
}};

bool IsProperty(const XmlName& parent, const XmlName& name) {
    return std::ranges::any_of(kHolders, [&](const Holder& holder) {
        return holder.holder == parent &&
               std::ranges::find(holder.properties, name) != holder.properties.end();
    });
}

} // namespace

std::optional<std::string> ConvertDocumentProperties(std::string_view xml, const std::string& part,
                                                     const DocumentSettings& settings) {
    // Properties are shown in no font of the document's: they are never the Script font's.
    if (!Converts(settings, false)) {
        return std::nullopt;
    }
    struct Open {
        std::string uri; // the element's name, kept: the event's views end with it
        std::string local;
        bool property = false;
        bool whole = true; // holds text only
        std::size_t contentBegin = 0;
        std::string text;
    };
    std::vector<Open> open;
    ByteEdits edits;
    ReadXml(xml, part, [&](const XmlEvent& event) {
        switch (event.kind) {
        case XmlEvent::Kind::Start: {
            bool property = false;
            if (!open.empty()) {
                open.back().whole = false;
                property = IsProperty({open.back().uri, open.back().local}, event.element);
            }
            open.push_back({std::string(event.element.uri),
                            std::string(event.element.local),
                            property,
                            true,
                            event.end,
                            {}});
            break;
        }
        case XmlEvent::Kind::Text:
            if (!open.empty() && open.back().property) {
                open.back().text += event.text;
            }
            break;
        case XmlEvent::Kind::End: {
            const Open& element = open.back();
            // An empty element's end has no bytes of its own.
            if (element.property && element.whole && event.begin != event.end) {
                ParagraphConverter converter(settings);
                converter.add(element.text);
                converter.finish();
                if (converter.text(0) != element.text) {
                    edits.replace(element.contentBegin, event.begin, EscapeXml(converter.text(0)));
                }
            }
            open.pop_back();
            break;
        }
        }
    });
    if (edits.empty()) {
        return std::nullopt;
    }
    return edits.apply(xml);
}

} // namespace orvani::documents
