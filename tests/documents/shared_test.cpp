// The parts every format shares: a paragraph converted across its runs, XML read with the
// bytes of each event, edits of byte ranges, and zip archives.

#include "paragraph.h"
#include "xml_events.h"
#include "zip_builder.h"
#include "zip_document.h"

#include <gtest/gtest.h>

#include <tuple>

namespace orvani::documents {
namespace {

using testing::BuildZip;
using testing::ReadZip;

DocumentSettings OldToNew() {
    DocumentSettings settings;
    settings.from = Standard::Old;
    settings.to = Standard::New;
    return settings;
}

// A paragraph's runs convert as one text, each letter in the run it came from. Accents typed
// apart from their letters (as text copied from a PDF has them), in runs of their own,
// compose with the letter before and stay in its run.
TEST(ParagraphConverter, ConvertsRunsAsOneTextAndKeepsEachLetterInItsRun) {
    const struct {
        Standard from;
        Standard to;
        std::vector<std::string> runs;
        std::vector<std::string> converted;
        ConversionOptions options{};
    } cases[] = {
        {Standard::Old, Standard::New, {"Khee", "tsoy"}, {"xí", "có"}},
        // The run that finishes a spelling takes it; a letter that pairs with nothing stays.
        {Standard::Old, Standard::New, {"K", "heetsoy"}, {"", "xícó"}},
        {Standard::Old, Standard::New, {"da", "b"}, {"dæ", "b"}},
        {Standard::Old, Standard::New, {"a", "h"}, {"", "a"}},
        // Where the pair writes what the held letter alone would, it is still the pair's.
        {Standard::Old, Standard::New, {"e", "h"}, {"", "e"}},
        {Standard::Old, Standard::New, {"a", "h"}, {"", "a"}, {.a = false}},
        {Standard::Old, Standard::New, {"", "sh", ""}, {"", "š", ""}},
        {Standard::Old, Standard::New, {"Dh", "", "ath"}, {"ð", "", "æþ"}},
        {Standard::Old, Standard::New, {"k", ""}, {"k", ""}}, // held to the end, in its run
        {Standard::New, Standard::Old, {"xi", "\u0301", "co"}, {"khee", "", "tso"}},
        {Standard::New, Standard::Old, {"x", "i", "\u0301co"}, {"kh", "ee", "tso"}},
        {Standard::New,
         Standard::Old,
         {"S", "\u030C", "\u0323", "am"},
         {"\u1E63\u030C", "", "", "ahm"}},
        {Standard::New, Standard::Old, {"xi\u0301", "co\u0301"}, {"khee", "tsoy"}},
    };
    for (const auto& c : cases) {
        DocumentSettings settings;
        settings.from = c.from;
        settings.to = c.to;
        settings.options = c.options;
        ParagraphConverter paragraph(settings);
        for (const std::string& run : c.runs) {
            paragraph.add(run);
        }
        paragraph.finish();
        std::vector<std::string> converted;
        for (std::size_t i = 0; i < paragraph.size(); ++i) {
            converted.push_back(paragraph.text(i));
        }
        EXPECT_EQ(converted, c.converted) << c.runs.front();
    }
}

TEST(ParagraphConverter, NothingPairsAcrossABreak) {
    ParagraphConverter paragraph(OldToNew());
    paragraph.add("k");
    paragraph.breakHere();
    paragraph.add("h");
    paragraph.finish();
    EXPECT_EQ(paragraph.text(0), "k");
    EXPECT_EQ(paragraph.text(1), "h");
}

// An invalid byte is named where it is in the input, not in the text once normalised.
TEST(ConvertDocument, SaysWhereTheInputIsNotUtf8) {
    for (const auto& [format, text, error] : {
             std::tuple(DocumentFormat::Text, "xi\u0301co\xFF", "invalid UTF-8 at byte 6"),
             std::tuple(DocumentFormat::Html, "<p>i\u0301\xFF", "invalid UTF-8 at byte 6"),
         }) {
        try {
            (void)ConvertDocument(text, format, OldToNew());
            ADD_FAILURE() << text;
        } catch (const DocumentError& thrown) {
            EXPECT_STREQ(thrown.what(), error);
        }
    }
}

// Nesting costs state at every level: a hostile file that nests without end is refused,
// while the depth of any real document reads.
TEST(ConvertDocument, RefusesElementsNestedWithoutEnd) {
    const auto nested = [](int depth, std::string_view start, std::string_view end) {
        std::string text;
        for (int i = 0; i < depth; ++i) {
            text += start;
        }
        text += "sh";
        for (int i = 0; i < depth; ++i) {
            text += end;
        }
        return text;
    };
    const std::string deep = nested(100'000, "<div>", "</div>");
    EXPECT_THROW((void)ConvertDocument(deep, DocumentFormat::Html, OldToNew()), DocumentError);
    const std::string fine = nested(1000, "<div>", "</div>");
    EXPECT_EQ(ConvertDocument(fine, DocumentFormat::Html, OldToNew()),
              nested(1000, "<div>", "</div>").replace(5000, 2, "\u0161"));
    EXPECT_THROW(ReadXml(nested(100'000, "<a>", "</a>"), "part.xml", [](const XmlEvent&) {}),
                 DocumentError);
    EXPECT_NO_THROW(ReadXml(nested(1000, "<a>", "</a>"), "part.xml", [](const XmlEvent&) {}));
}

TEST(ReadXml, GivesEachEventWithItsBytes) {
    const std::string xml = "<?xml version=\"1.0\"?>\n<a x='1'><b>K&amp;h</b><c/>tail</a>";
    std::vector<std::string> seen;
    ReadXml(xml, "part.xml", [&](const XmlEvent& event) {
        const std::string bytes = xml.substr(event.begin, event.end - event.begin);
        switch (event.kind) {
        case XmlEvent::Kind::Start:
            seen.push_back("start " + std::string(event.name) + " " + bytes);
            break;
        case XmlEvent::Kind::End:
            seen.push_back("end " + std::string(event.name) + " " + bytes);
            break;
        case XmlEvent::Kind::Text:
            seen.push_back("text " + std::string(event.text) + " " + bytes);
            break;
        }
    });
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "start a <a x='1'>", "start b <b>", "text K K", "text & &amp;", "text h h",
                        "end b </b>", "start c <c/>", "end c ", "text tail tail", "end a </a>"}));
}

TEST(ReadXml, ResolvesNamesByTheDeclarationsInScope) {
    const std::string xml = "<a:r xmlns:a='urn:a' xmlns='urn:d' b='1' a:c='2' xml:space='keep'>"
                            "<e xmlns='' a:f='3'/><a:g xmlns:a='urn:b'/><h/></a:r>";
    const auto written = [](const XmlName& name) {
        return "{" + std::string(name.uri) + "}" + std::string(name.local);
    };
    // Each element with the prefix of urn:a inside it, then its attributes.
    std::vector<std::string> seen;
    ReadXml(xml, "part.xml", [&](const XmlEvent& event) {
        if (event.kind == XmlEvent::Kind::End) {
            seen.push_back("/" + written(event.element));
        }
        if (event.kind != XmlEvent::Kind::Start) {
            return;
        }
        seen.push_back(written(event.element) + " " +
                       std::string(event.namespaces->prefixOf("urn:a").value_or("-")));
        for (const auto& [name, value] : *event.attributes) {
            if (!name.starts_with("xmlns")) {
                seen.push_back("@" + written(event.namespaces->attribute(name)));
            }
        }
    });
    EXPECT_EQ(seen,
              (std::vector<std::string>{"{urn:a}r a", "@{}b", "@{urn:a}c",
                                        "@{http://www.w3.org/XML/1998/namespace}space", "{}e a",
                                        "@{urn:a}f", "/{}e", "{urn:b}g -", "/{urn:b}g",
                                        "{urn:d}h a", "/{urn:d}h", "/{urn:a}r"}));
}

TEST(ReadXml, RefusesWhatCouldReachOutOrBlowUp) {
    const std::string cases[] = {
        "<!DOCTYPE a [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><a>&e;</a>",
        "<!DOCTYPE a [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]><a>&b;</a>",
        "<a><b></a>",
        "<a>&undefined;</a>",
        "<a><p:b/></a>",
        "<a xmlns:p='urn:p'><b p:c='1' q:d='2'/></a>",
        "<a><:b/></a>",
        "<a xmlns:p='urn:p'><p:b:c/></a>",
        "<a xmlns:p='urn:p'><b p:='1'/></a>",
        "<a xmlns:p='urn:p'><b p:-c='1'/></a>",
        "<?x:ml version='1.0'?><a/>",
    };
    for (const std::string& xml : cases) {
        try {
            ReadXml(xml, "word/document.xml", [](const XmlEvent&) {});
            ADD_FAILURE() << "read: " << xml;
        } catch (const DocumentError& error) {
            EXPECT_EQ(error.part(), "word/document.xml");
            EXPECT_TRUE(std::string(error.what())
                            .starts_with("word/document.xml: malformed XML "
                                         "at line 1, column "))
                << error.what();
        }
    }
}

TEST(ByteEdits, ReplacesAndInsertsKeepingEveryOtherByte) {
    ByteEdits edits;
    edits.replace(1, 3, "XY");
    edits.insert(5, "<");
    edits.insert(5, ">");
    edits.insert(0, "^");
    EXPECT_EQ(edits.apply("abcdefg"), "^aXYde<>fg");
    edits.replace(2, 4, "overlap");
    EXPECT_THROW((void)edits.apply("abcdefg"), std::logic_error);
}

TEST(ZipDocument, ReplacesAPartAndKeepsTheRestAsItWas) {
    const std::string archive = BuildZip({{"mimetype", "application/x-test", true},
                                          {"content.xml", "<a>old</a>"},
                                          {"other.bin", std::string(5000, '\x01')}});
    ZipDocument document(archive);
    EXPECT_TRUE(document.has("content.xml"));
    EXPECT_FALSE(document.has("missing.xml"));
    EXPECT_EQ(document.read("content.xml"), "<a>old</a>");
    document.replace("content.xml", "<a>new</a>");
    const std::string saved = document.save();
    EXPECT_TRUE(saved.starts_with("PK\x03\x04"));
    EXPECT_EQ(saved.substr(30, 8), "mimetype"); // still first, and stored
    EXPECT_EQ(saved.substr(38, 18), "application/x-test");
    EXPECT_EQ(ReadZip(saved), (std::vector<std::pair<std::string, std::string>>{
                                  {"mimetype", "application/x-test"},
                                  {"content.xml", "<a>new</a>"},
                                  {"other.bin", std::string(5000, '\x01')}}));
}

TEST(ZipDocument, ReportsWhatItCannotRead) {
    EXPECT_THROW(ZipDocument("not a zip archive"), DocumentError);
    const std::string archive = BuildZip({{"content.xml", std::string(100000, 'x')}});
    EXPECT_THROW(ZipDocument(archive.substr(0, archive.size() / 2)), DocumentError);
    ZipDocument document(archive);
    try {
        (void)document.read("styles.xml");
        ADD_FAILURE();
    } catch (const DocumentError& error) {
        EXPECT_STREQ(error.what(), "styles.xml: missing from the document");
    }
}

TEST(ZipDocument, SaysWhyAnArchiveIsNoDocument) {
    // Two entries given one name, in the local headers and the directory alike.
    std::string twice = BuildZip({{"a.xml", "<a/>"}, {"b.xml", "<a/>"}});
    for (std::size_t at = 0; (at = twice.find("b.xml", at)) != std::string::npos;) {
        twice[at] = 'a';
    }
    const struct {
        std::string archive;
        const char* error;
    } cases[] = {
        {"", "empty, not a zip archive"},
        {twice, "not a readable zip archive: two of its entries have the same name, so which "
                "is the part cannot be told"},
    };
    for (const auto& c : cases) {
        try {
            ZipDocument document(c.archive);
            ADD_FAILURE() << c.error;
        } catch (const DocumentError& error) {
            EXPECT_STREQ(error.what(), c.error);
        }
    }
}

} // namespace
} // namespace orvani::documents
