// ODT: the text of content.xml and of the headers and footers in styles.xml converted in
// place, every other byte of the archive kept.

#include "encodings.h"
#include "formats.h"
#include "prefixes.h"
#include "zip_builder.h"

#include <gtest/gtest.h>

#include <map>

namespace orvani::documents {
namespace {

using testing::BuildZip;
using testing::ReadZip;

constexpr std::string_view kMimetype = "application/vnd.oasis.opendocument.text";
constexpr std::string_view kNamespaces =
    R"( xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
    R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
    R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
    R"( xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0")"
    R"( xmlns:dc="http://purl.org/dc/elements/1.1/")";
constexpr std::string_view kManifest =
    R"(<?xml version="1.0" encoding="UTF-8"?>)"
    R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0")"
    R"( manifest:version="1.3">)"
    R"(<manifest:file-entry manifest:full-path="/" manifest:version="1.3")"
    R"( manifest:media-type="application/vnd.oasis.opendocument.text"/>)"
    R"(<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>)"
    R"(<manifest:file-entry manifest:full-path="styles.xml" manifest:media-type="text/xml"/>)"
    R"(</manifest:manifest>)";

const std::string kRoot = std::string(kNamespaces) + " office:version=\"1.3\"";

std::string Content(std::string_view styles, std::string_view body, std::string_view root = kRoot) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content" +
           std::string(root) + ">" + std::string(styles) + "<office:body><office:text>" +
           std::string(body) + "</office:text></office:body></office:document-content>";
}

std::string Styles(std::string_view fonts, std::string_view automatic, std::string_view header) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-styles" +
           std::string(kNamespaces) +
           " office:version=\"1.3\"><office:font-face-decls><style:font-face style:name=\"Serif\""
           " svg:font-family=\"Serif\"/>" +
           std::string(fonts) +
           "</office:font-face-decls><office:styles/><office:automatic-styles>"
           "<style:page-layout style:name=\"pm1\"/>" +
           std::string(automatic) +
           "</office:automatic-styles><office:master-styles><style:master-page "
           "style:name=\"Standard\" style:page-layout-name=\"pm1\">" +
           std::string(header) +
           "</style:master-page></office:master-styles></office:document-styles>";
}

std::string MakeOdt(const std::string& content, const std::string& styles) {
    return BuildZip({{"mimetype", std::string(kMimetype), true},
                     {"META-INF/manifest.xml", std::string(kManifest)},
                     {"content.xml", content},
                     {"styles.xml", styles}});
}

std::map<std::string, std::string> Convert(const std::string& odt, Standard from, Standard to) {
    DocumentSettings settings;
    settings.from = from;
    settings.to = to;
    std::map<std::string, std::string> parts;
    for (auto& [name, content] : ReadZip(ConvertOdt(odt, settings))) {
        parts[name] = std::move(content);
    }
    return parts;
}

const std::string kPlainStyles = Styles("", "", "");

TEST(OdtText, ConvertsEachParagraphAcrossItsRunsAndLeavesTheRest) {
    const struct {
        const char* what;
        std::string body;
        std::string converted;
    } cases[] = {
        {"split word", R"(<text:p>Khee<text:span text:style-name="T1">tsoy</text:span></text:p>)",
         R"(<text:p>xí<text:span text:style-name="T1">có</text:span></text:p>)"},
        {"heading", "<text:h text:outline-level=\"1\">Kheetsoy dhath</text:h>",
         "<text:h text:outline-level=\"1\">xícó ðæþ</text:h>"},
        {"spaces break", "<text:p>k<text:s/>h</text:p>", "<text:p>k<text:s/>h</text:p>"},
        {"tab breaks", "<text:p>k<text:tab/>h</text:p>", "<text:p>k<text:tab/>h</text:p>"},
        {"mark does not", "<text:p>k<text:bookmark text:name=\"b\"/>h</text:p>",
         "<text:p><text:bookmark text:name=\"b\"/>x</text:p>"},
        {"white space and references", "<text:p>\n  dh&amp;th  </text:p>",
         "<text:p>\n  ð&amp;þ  </text:p>"},
        {"footnote",
         "<text:p>dh<text:note text:id=\"n1\" text:note-class=\"footnote\">"
         "<text:note-citation text:label=\"th\">th</text:note-citation><text:note-body>"
         "<text:p>dhath</text:p></text:note-body></text:note>ath</text:p>",
         "<text:p>ð<text:note text:id=\"n1\" text:note-class=\"footnote\">"
         "<text:note-citation text:label=\"th\">th</text:note-citation><text:note-body>"
         "<text:p>ðæþ</text:p></text:note-body></text:note>æþ</text:p>"},
        {"annotation",
         "<text:p>dhath<office:annotation><dc:creator>Kheetsoy</dc:creator>"
         "<dc:date>2024-05-01T10:00:00</dc:date><text:p>Kheetsoy</text:p>"
         "</office:annotation></text:p>",
         "<text:p>ðæþ<office:annotation><dc:creator>Kheetsoy</dc:creator>"
         "<dc:date>2024-05-01T10:00:00</dc:date><text:p>xícó</text:p>"
         "</office:annotation></text:p>"},
    };
    for (const auto& c : cases) {
        const auto parts =
            Convert(MakeOdt(Content("", c.body), kPlainStyles), Standard::Old, Standard::New);
        EXPECT_EQ(parts.at("content.xml"), Content("", c.converted)) << c.what;
    }
}

TEST(OdtText, ComposesAnAccentInASpanOfItsOwnWithTheLetterBefore) {
    const auto parts = Convert(MakeOdt(Content("", R"(<text:p>xi<text:span text:style-name="T1">)"
                                                   "\u0301</text:span>co</text:p>"),
                                       kPlainStyles),
                               Standard::New, Standard::Old);
    EXPECT_EQ(
        parts.at("content.xml"),
        Content("", R"(<text:p>khee<text:span text:style-name="T1"></text:span>tso</text:p>)"));
}

TEST(OdtStyles, ConvertsHeadersAndFootersOnlyAndKeepsEveryOtherEntry) {
    const std::string header = "<style:header><text:p>Kheetsoy</text:p></style:header>"
                               "<style:footer-left><text:p>dhath</text:p></style:footer-left>";
    const std::string odt = MakeOdt(Content("", "<text:p>dhath</text:p>"), Styles("", "", header));
    const auto parts = Convert(odt, Standard::Old, Standard::New);
    EXPECT_EQ(parts.at("styles.xml"),
              Styles("", "",
                     "<style:header><text:p>xícó</text:p></style:header>"
                     "<style:footer-left><text:p>ðæþ</text:p></style:footer-left>"));
    EXPECT_EQ(parts.at("mimetype"), kMimetype);
    EXPECT_EQ(parts.at("META-INF/manifest.xml"), kManifest);
}

const std::string kFontFace =
    R"(<style:font-face style:name="Orvani Script" svg:font-family="&apos;Orvani Script&apos;"/>)";
const std::string kScriptStyle =
    R"(<style:style style:name="OrvaniScript" style:family="text"><style:text-properties )"
    R"(style:font-name="Orvani Script" style:font-name-asian="Orvani Script" )"
    R"(style:font-name-complex="Orvani Script"/></style:style>)";
const std::string kScriptHeader =
    R"(<style:header><text:p><text:span text:style-name="OrvaniScript">dqT</text:span>)"
    R"(</text:p></style:header>)";
const std::string kScriptStyles = "<office:font-face-decls>" + kFontFace +
                                  "</office:font-face-decls><office:automatic-styles>" +
                                  kScriptStyle + "</office:automatic-styles>";
const std::string kPlainScriptStyles =
    "<office:font-face-decls>" + kFontFace +
    R"(</office:font-face-decls><office:automatic-styles><style:style style:name="OrvaniScript" )"
    R"(style:family="text"><style:text-properties/></style:style></office:automatic-styles>)";
const std::string kScriptContent =
    Content(kScriptStyles,
            R"(<text:p> <text:span text:style-name="OrvaniScript">kExO dqT</text:span> </text:p>)"
            R"(<text:p>1 2</text:p>)");

TEST(OdtScript, WritesScriptTextInTheScriptFont) {
    const std::string odt =
        MakeOdt(Content("", "<text:p> Kheetsoy dhath </text:p><text:p>1 2</text:p>"),
                Styles("", "", "<style:header><text:p>dhath</text:p></style:header>"));
    const auto parts = Convert(odt, Standard::Old, Standard::Script);
    EXPECT_EQ(parts.at("content.xml"), kScriptContent);
    EXPECT_EQ(parts.at("styles.xml"), Styles(kFontFace, kScriptStyle, kScriptHeader));
}

TEST(OdtScript, ReadsScriptTextAndTakesTheScriptFontAway) {
    const std::string odt = MakeOdt(kScriptContent, Styles(kFontFace, kScriptStyle, kScriptHeader));
    const auto parts = Convert(odt, Standard::Script, Standard::New);
    const std::string plainStyle = R"(<style:style style:name="OrvaniScript" style:family="text">)"
                                   R"(<style:text-properties/></style:style>)";
    EXPECT_EQ(parts.at("content.xml"),
              Content(kPlainScriptStyles, "<text:p> xícó ðæþ </text:p><text:p>1 2</text:p>"));
    EXPECT_EQ(parts.at("styles.xml"),
              Styles(kFontFace, plainStyle, "<style:header><text:p>ðæþ</text:p></style:header>"));
}

// A styles part with `faces` and named `styles` (each of office:styles' children).
std::string NamedStyles(std::string_view faces, std::string_view styles) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-styles" +
           std::string(kNamespaces) +
           " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\"" +
           " office:version=\"1.3\"><office:font-face-decls>" + std::string(faces) +
           "</office:font-face-decls><office:styles>" + std::string(styles) +
           "</office:styles></office:document-styles>";
}

std::string TextStyle(std::string_view family, std::string_view name, std::string_view parent,
                      std::string_view properties) {
    return "<style:style style:name=\"" + std::string(name) + "\" style:family=\"" +
           std::string(family) + "\"" +
           (parent.empty() ? "" : " style:parent-style-name=\"" + std::string(parent) + "\"") +
           "><style:text-properties " + std::string(properties) + "/></style:style>";
}

TEST(OdtFonts, ReadsScriptOnlyInTheScriptFontAndTakesItAwayFromEveryStyle) {
    const std::string face =
        R"(<style:font-face style:name="F1" svg:font-family="&apos;Orvani Script&apos;"/>)";
    const std::string byFace = "style:font-name=\"F1\"";
    const std::string byFamily = "fo:font-family=\"Orvani Script\"";
    const std::string arial = "style:font-name=\"Arial\"";
    const std::string commentary = R"(<text:span text:style-name="A">Commentary </text:span>)";
    const std::string span = R"(<text:span text:style-name="T9">kExO</text:span>)";
    const struct {
        const char* what;
        std::string automatic; // content.xml's
        std::string named;
        std::string body;
    } cases[] = {
        {"span, by a face", TextStyle("text", "T9", "", byFace), "",
         "<text:p>" + span + "</text:p>"},
        {"span, by its parent's family", TextStyle("text", "T9", "Orv", ""),
         TextStyle("text", "Orv", "", byFamily), "<text:p>" + span + "</text:p>"},
        {"paragraph, by its parent", TextStyle("paragraph", "P9", "OrvP", ""),
         TextStyle("paragraph", "OrvP", "", byFace),
         "<text:p text:style-name=\"P9\">" + commentary + "kExO</text:p>"},
        {"default paragraph style", "",
         "<style:default-style style:family=\"paragraph\"><style:text-properties " + byFace +
             "/></style:default-style>",
         "<text:p>" + commentary + "kExO</text:p>"},
    };
    for (const auto& c : cases) {
        const std::string automatic = "<office:automatic-styles>" +
                                      TextStyle("text", "A", "", arial) + c.automatic +
                                      "</office:automatic-styles>";
        const std::string odt = MakeOdt(
            Content("<office:font-face-decls>" + face + "</office:font-face-decls>" + automatic,
                    "<text:p>" + commentary + "</text:p>" + c.body),
            NamedStyles(face, c.named));
        const auto parts = Convert(odt, Standard::Script, Standard::New);
        const std::string& content = parts.at("content.xml");
        EXPECT_EQ(content.find("kExO"), std::string::npos) << c.what << content;
        EXPECT_NE(content.find("xícó"), std::string::npos) << c.what << content;
        EXPECT_NE(content.find(">Commentary <"), std::string::npos) << c.what << content;
        for (const std::string part : {"content.xml", "styles.xml"}) {
            EXPECT_EQ(parts.at(part).find(byFace), std::string::npos) << c.what << " " << part;
            EXPECT_EQ(parts.at(part).find(byFamily), std::string::npos) << c.what << " " << part;
        }
        EXPECT_NE(Convert(odt, Standard::Old, Standard::New).at("content.xml").find(">kExO<"),
                  std::string::npos)
            << c.what << ": Script text read as Old";
    }
}

TEST(OdtNamespaces, OtherPrefixesConvertLikeTheUsualOnes) {
    const auto other = [](const std::string& xml) {
        return testing::Renamed(xml,
                                {{"office", "o"}, {"style", "s"}, {"text", "t"}, {"svg", "g"}});
    };
    const std::string header = "<style:header><text:p>dhath</text:p></style:header>";
    const std::string body = R"(<text:p> Khee<text:span text:style-name="T1">tsoy</text:span> )"
                             R"(dhath<text:tab/>dh</text:p><text:p>1 2</text:p>)";
    const struct {
        std::string content;
        std::string styles;
        Standard from;
        Standard to;
    } cases[] = {
        {Content("", body), Styles("", "", header), Standard::Old, Standard::New},
        {Content("", body), Styles("", "", header), Standard::Old, Standard::Script},
        {kScriptContent, Styles(kFontFace, kScriptStyle, kScriptHeader), Standard::Script,
         Standard::New},
    };
    for (const auto& c : cases) {
        const auto usual = Convert(MakeOdt(c.content, c.styles), c.from, c.to);
        const auto renamed = Convert(MakeOdt(other(c.content), other(c.styles)), c.from, c.to);
        for (const std::string part : {"content.xml", "styles.xml"}) {
            EXPECT_EQ(renamed.at(part), other(usual.at(part))) << part << " of " << c.content;
        }
    }
}

TEST(OdtNamespaces, WritesScriptWithThePrefixBoundWhereItIsWritten) {
    const auto xmlns = [](const std::string& prefix, const std::string& uri) {
        return " xmlns" + (prefix.empty() ? "" : ":" + prefix) + "=\"" + uri + "\"";
    };
    const auto span = [](const std::string& p) {
        return "<" + p + ":span " + p + ":style-name=\"OrvaniScript\">dqT</" + p + ":span>";
    };
    const std::string uri = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
    const std::string text = xmlns("", uri);
    const std::string t = xmlns("t", uri);
    const std::string other = xmlns("text", "urn:example");
    const std::string svg =
        xmlns("svg", "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0");
    // Neither the text nor the SVG namespace bound here.
    const std::string root = xmlns("office", "urn:oasis:names:tc:opendocument:xmlns:office:1.0") +
                             xmlns("style", "urn:oasis:names:tc:opendocument:xmlns:style:1.0") +
                             " office:version=\"1.3\"";
    const struct {
        std::string root;
        std::string body;
        std::string rootAfter; // with the declarations of the prefixes written
        std::string script;
    } cases[] = {
        {root, "<p" + text + ">dhath</p>", root + xmlns("text", uri) + svg,
         "<p" + text + ">" + span("text") + "</p>"},
        {root + other, "<p" + text + ">dhath</p>", root + other + xmlns("text1", uri) + svg,
         "<p" + text + ">" + span("text1") + "</p>"},
        {root, "<t:p" + t + ">dhath</t:p>", root + svg, "<t:p" + t + ">" + span("t") + "</t:p>"},
        {kRoot, "<text:p><t:span" + t + other + ">dhath</t:span></text:p>", kRoot,
         "<text:p><t:span" + t + other + ">" + span("t") + "</t:span></text:p>"},
    };
    for (const auto& c : cases) {
        const std::string odt = MakeOdt(Content("", c.body, c.root), kPlainStyles);
        const std::string written = Convert(odt, Standard::Old, Standard::Script).at("content.xml");
        EXPECT_EQ(written, Content(kScriptStyles, c.script, c.rootAfter)) << c.body;
        // Read again, the span goes and the text is as if it had never been Script.
        std::string plain = c.body;
        testing::ReplaceAll(plain, "dhath", "ðæþ");
        EXPECT_EQ(Convert(MakeOdt(written, kPlainStyles), Standard::Script, Standard::New)
                      .at("content.xml"),
                  Content(kPlainScriptStyles, plain, c.rootAfter))
            << c.body;
    }
}

TEST(OdtArchive, KeepsTheMimetypeFirstAndStored) {
    DocumentSettings settings;
    const std::string out =
        ConvertOdt(MakeOdt(Content("", "<text:p>dhath</text:p>"), kPlainStyles), settings);
    EXPECT_EQ(out.substr(0, 4), "PK\x03\x04");
    EXPECT_EQ(out.substr(30, 8), "mimetype");
    EXPECT_EQ(out.substr(38, kMimetype.size()), kMimetype);
}

// The title, subject and keywords of meta.xml are converted, and so are the fields that show
// them, each on its own.
TEST(OdtProperties, ConvertsTheTitleSubjectKeywordsAndTheFieldsThatShowThem) {
    const auto meta = [](const std::string& properties) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-meta" + kRoot +
               R"( xmlns:meta="urn:oasis:names:tc:opendocument:xmlns:meta:1.0"><office:meta>)" +
               properties + "</office:meta></office:document-meta>";
    };
    const auto odt = [&](const std::string& properties, const std::string& body) {
        return BuildZip({{"mimetype", std::string(kMimetype), true},
                         {"META-INF/manifest.xml", std::string(kManifest)},
                         {"content.xml", Content("", body)},
                         {"styles.xml", kPlainStyles},
                         {"meta.xml", meta(properties)}});
    };
    const auto parts =
        Convert(odt("<dc:title>Kheetsoy</dc:title><dc:subject>sh</dc:subject><meta:keyword>dhath"
                    "</meta:keyword><meta:keyword>sh</meta:keyword><dc:creator>Sasha</dc:creator>",
                    "<text:p>k<text:title>h sh</text:title></text:p>"),
                Standard::Old, Standard::New);
    EXPECT_EQ(parts.at("meta.xml"),
              meta("<dc:title>xícó</dc:title><dc:subject>š</dc:subject><meta:keyword>ðæþ"
                   "</meta:keyword><meta:keyword>š</meta:keyword><dc:creator>Sasha</dc:creator>"));
    EXPECT_EQ(parts.at("content.xml"),
              Content("", "<text:p>k<text:title>h š</text:title></text:p>"));
}

// A flat OpenDocument text is one XML document, converted as the parts of an archive are.
TEST(OdtFlat, ConvertsTheBodyHeadersAndPropertiesOfAFlatDocument) {
    const auto flat = [](const std::string& title, const std::string& header,
                         const std::string& body) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document" + kRoot +
               R"( office:mimetype="application/vnd.oasis.opendocument.text">)"
               "<office:meta><dc:title>" +
               title +
               "</dc:title></office:meta><office:font-face-decls/><office:styles/>"
               "<office:automatic-styles/><office:master-styles><style:master-page "
               "style:name=\"Standard\"><style:header><text:p>" +
               header +
               "</text:p></style:header></style:master-page></office:master-styles>"
               "<office:body><office:text><text:p>" +
               body + "</text:p></office:text></office:body></office:document>";
    };
    const std::string in = flat("Kheetsoy", "sh", "dhath");
    DocumentSettings settings;
    EXPECT_EQ(ConvertOdt(in, settings), flat("xícó", "š", "ðæþ"));
    settings.to = Standard::Script;
    const std::string script = ConvertOdt(in, settings);
    EXPECT_NE(script.find("<office:font-face-decls><style:font-face style:name=\"Orvani Script\""),
              std::string::npos)
        << script;
    EXPECT_NE(script.find("<office:automatic-styles><style:style style:name=\"OrvaniScript\""),
              std::string::npos)
        << script;
    EXPECT_NE(script.find("<text:span text:style-name=\"OrvaniScript\">dqT</text:span>"),
              std::string::npos)
        << script;
    EXPECT_EQ(DetectDocumentFormat("letter.FODT", ""), DocumentFormat::Odt);
    EXPECT_EQ(DetectDocumentFormat("letter", in), DocumentFormat::Odt);
    EXPECT_EQ(DetectDocumentFormat("letter", "<?xml version=\"1.0\"?><office:document "
                                             "office:mimetype=\"application/"
                                             "vnd.oasis.opendocument.spreadsheet\">"),
              DocumentFormat::Text);
}

// A part in UTF-16 or in another encoding it declares converts as it would in UTF-8, and is
// written back in its own encoding, what is written into it included.
TEST(OdtArchive, ReadsAndWritesEachPartInItsOwnEncoding) {
    const std::string content =
        Content("", "<text:p>Kheetsoy <text:span text:style-name=\"T1\">sh</text:span></text:p>");
    const std::string header = "<style:header><text:p>Kheetsoy sh</text:p></style:header>";
    const std::string latin1 = "encoding=\"ISO-8859-1\"";
    std::string declared = Styles("", "", header);
    declared.replace(declared.find("encoding=\"UTF-8\""), 16, latin1);
    for (const Standard to : {Standard::New, Standard::Script}) {
        const auto utf8 = Convert(MakeOdt(content, Styles("", "", header)), Standard::Old, to);
        for (const auto& [endian, mark] :
             {std::pair{testing::Endian::Little, true}, std::pair{testing::Endian::Big, false}}) {
            const auto utf16 = Convert(MakeOdt(testing::Utf16(content, endian, mark), kPlainStyles),
                                       Standard::Old, to);
            EXPECT_EQ(utf16.at("content.xml"),
                      testing::Utf16(utf8.at("content.xml"), endian, mark));
        }
        const auto other = Convert(MakeOdt(content, declared), Standard::Old, to);
        std::string expected = utf8.at("styles.xml");
        expected.replace(expected.find("encoding=\"UTF-8\""), 16, latin1);
        for (const auto& [from, into] : {std::pair<std::string, std::string>{"\u00ED", "\xED"},
                                         {"\u00F3", "\xF3"},
                                         {"\u0161", "&#353;"}}) {
            for (std::size_t at; (at = expected.find(from)) != std::string::npos;) {
                expected.replace(at, from.size(), into);
            }
        }
        EXPECT_EQ(other.at("styles.xml"), expected);
    }
}

// The part with a document type declaration after its XML declaration.
std::string WithDoctype(std::string xml) {
    return xml.insert(xml.find('\n') + 1, "<!DOCTYPE x [<!ENTITY e \"dhath\">]>");
}

TEST(OdtArchive, NamesWhatItCannotRead) {
    const std::string good = MakeOdt(Content("", "<text:p>dhath</text:p>"), kPlainStyles);
    const struct {
        std::string odt;
        std::string part;
    } cases[] = {
        {good.substr(0, good.size() - 40), ""}, // the archive itself
        {BuildZip({{"mimetype", std::string(kMimetype), true}}), "content.xml"},
        {MakeOdt(Content("", "<text:p>dhath</text:span>"), kPlainStyles), "content.xml"},
        {MakeOdt(WithDoctype(Content("", "<text:p>&e;</text:p>")), kPlainStyles), "content.xml"},
        {MakeOdt(Content("", ""), "<office:document-styles>"), "styles.xml"},
    };
    for (const auto& c : cases) {
        try {
            (void)ConvertOdt(c.odt, DocumentSettings());
            ADD_FAILURE() << "converted, part " << c.part;
        } catch (const DocumentError& error) {
            EXPECT_EQ(error.part(), c.part) << error.what();
        }
    }
}

} // namespace
} // namespace orvani::documents
