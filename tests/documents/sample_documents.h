#pragma once

// Small but complete documents, built in the tests, that a word processor opens.

#include "zip_builder.h"

#include <string>
#include <vector>

namespace orvani::testing {

// A Word document whose body is `body` (the children of w:body), with `extra` parts beside it
// (headers, footnotes ...) and their relationships in `relationships`.
inline std::string MakeDocx(const std::string& body, std::vector<ZipEntry> extra = {},
                            const std::string& relationships = "",
                            const std::string& contentTypes = "") {
    std::vector<ZipEntry> entries = {
        {"[Content_Types].xml",
         R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
         R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
         R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
         R"(<Default Extension="xml" ContentType="application/xml"/>)"
         R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)" +
             contentTypes + "</Types>"},
        {"_rels/.rels",
         R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
         R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
         R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
         R"(</Relationships>)"},
        {"word/document.xml",
         R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
         R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
         R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
         "<w:body>" +
             body + "</w:body></w:document>"},
        {"word/_rels/document.xml.rels",
         R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
         R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)" +
             relationships + "</Relationships>"},
    };
    entries.insert(entries.end(), extra.begin(), extra.end());
    return BuildZip(entries);
}

// An OpenDocument text whose body is `body` (the children of office:text); `masterStyles`
// goes into styles.xml's office:master-styles (headers and footers), and `styles` before
// its automatic styles (font faces and named styles).
inline std::string MakeOdt(const std::string& body, const std::string& masterStyles = "",
                           const std::string& styles = "<office:styles/>") {
    const std::string namespaces =
        R"( xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
        R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
        R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
        R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
        R"( xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0")"
        R"( xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0")"
        R"( xmlns:dc="http://purl.org/dc/elements/1.1/" office:version="1.3")";
    return BuildZip({
        {"mimetype", "application/vnd.oasis.opendocument.text", true},
        {"META-INF/manifest.xml",
         R"(<?xml version="1.0" encoding="UTF-8"?>)"
         R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3">)"
         R"(<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.text"/>)"
         R"(<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>)"
         R"(<manifest:file-entry manifest:full-path="styles.xml" manifest:media-type="text/xml"/>)"
         R"(</manifest:manifest>)"},
        {"content.xml",
         R"(<?xml version="1.0" encoding="UTF-8"?><office:document-content)" + namespaces +
             R"(><office:automatic-styles><style:style style:name="T1" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style></office:automatic-styles>)"
             "<office:body><office:text>" +
             body + "</office:text></office:body></office:document-content>"},
        {"styles.xml",
         R"(<?xml version="1.0" encoding="UTF-8"?><office:document-styles)" + namespaces + ">" +
             styles +
             R"(<office:automatic-styles><style:page-layout style:name="pm1"/></office:automatic-styles>)"
             "<office:master-styles>" +
             masterStyles + "</office:master-styles></office:document-styles>"},
    });
}

} // namespace orvani::testing
