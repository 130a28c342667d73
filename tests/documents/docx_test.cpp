// DOCX: the text of w:t elements converted a paragraph at a time, the Script font given and
// taken away, and every other byte of the archive kept.

#include "formats.h"
#include "prefixes.h"
#include "zip_builder.h"

#include <gtest/gtest.h>

namespace orvani::documents {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

const std::string kFonts = R"(<w:rFonts w:ascii="Orvani Script" w:hAnsi="Orvani Script" )"
                           R"(w:cs="Orvani Script" w:eastAsia="Orvani Script"/>)";

// A part of the Word namespace, with `content` in its root element.
std::string WordXml(const std::string& root, const std::string& content) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:" + root +
           " xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
           "xmlns:v=\"urn:schemas-microsoft-com:vml\">" +
           content + "</w:" + root + ">";
}

// The least that Word and LibreOffice open, with `body` in the document and `extra` parts.
Entries MakeDocx(const std::string& body, const Entries& extra = {}) {
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    const std::string package = "http://schemas.openxmlformats.org/package/2006/";
    Entries entries{
        {"[Content_Types].xml",
         declaration + "<Types xmlns=\"" + package + "content-types\">" +
             "<Default Extension=\"rels\" "
             "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
             "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
             "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
             "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>"},
        {"_rels/.rels",
         declaration + "<Relationships xmlns=\"" + package + "relationships\">" +
             "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
             "2006/relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>"},
        {"word/document.xml", WordXml("document", "<w:body>" + body + "</w:body>")},
        {"word/_rels/document.xml.rels",
         declaration + "<Relationships xmlns=\"" + package + "relationships\"/>"}};
    entries.insert(entries.end(), extra.begin(), extra.end());
    return entries;
}

std::string Zip(const Entries& entries) {
    std::vector<testing::ZipEntry> zipEntries;
    for (const auto& [name, content] : entries) {
        zipEntries.push_back({name, content, false});
    }
    return testing::BuildZip(zipEntries);
}

Entries Convert(const Entries& entries, Standard from = Standard::Old,
                Standard to = Standard::New) {
    DocumentSettings settings;
    settings.from = from;
    settings.to = to;
    return testing::ReadZip(ConvertDocx(Zip(entries), settings));
}

struct Case {
    std::string in;
    std::string out;
};

TEST(Docx, ConvertsAWordSplitOverRunsInEachRun) {
    EXPECT_EQ(Convert(MakeDocx("<w:p><w:r><w:t>Khee</w:t></w:r><w:r><w:rPr><w:b/></w:rPr>"
                               "<w:t>tsoy</w:t></w:r></w:p>")),
              MakeDocx("<w:p><w:r><w:t>xí</w:t></w:r><w:r><w:rPr><w:b/></w:rPr>"
                       "<w:t>có</w:t></w:r></w:p>"));
}

TEST(Docx, ComposesAnAccentInARunOfItsOwnWithTheLetterBefore) {
    EXPECT_EQ(Convert(MakeDocx("<w:p><w:r><w:t>xi</w:t></w:r><w:r><w:rPr><w:b/></w:rPr>"
                               "<w:t>\u0301</w:t></w:r><w:r><w:t>co</w:t></w:r></w:p>"),
                      Standard::New, Standard::Old),
              MakeDocx("<w:p><w:r><w:t>khee</w:t></w:r><w:r><w:rPr><w:b/></w:rPr>"
                       "<w:t></w:t></w:r><w:r><w:t>tso</w:t></w:r></w:p>"));
}

TEST(Docx, ConvertsTheTextOfEachParagraphAndNothingElse) {
    const Case cases[] = {
        {"<w:tbl><w:tr><w:tc><w:p><w:r><w:t>dhath</w:t></w:r></w:p></w:tc></w:tr></w:tbl>",
         "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>ðæþ</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"},
        {"<w:p><w:r><w:instrText>dhath</w:instrText></w:r><w:del><w:r><w:delText>dhath"
         "</w:delText></w:r></w:del></w:p>",
         "<w:p><w:r><w:instrText>dhath</w:instrText></w:r><w:del><w:r><w:delText>dhath"
         "</w:delText></w:r></w:del></w:p>"},
        {"<w:p><w:r><w:t>k</w:t><w:tab/><w:t>h</w:t></w:r></w:p>",
         "<w:p><w:r><w:t>k</w:t><w:tab/><w:t>h</w:t></w:r></w:p>"},
        {"<w:p><w:r><w:t>k</w:t></w:r><w:r><w:pict><v:textbox><w:txbxContent><w:p><w:r><w:t>"
         "dhath</w:t></w:r></w:p></w:txbxContent></v:textbox></w:pict></w:r><w:r><w:t>h</w:t>"
         "</w:r></w:p>",
         "<w:p><w:r><w:t>k</w:t></w:r><w:r><w:pict><v:textbox><w:txbxContent><w:p><w:r><w:t>"
         "ðæþ</w:t></w:r></w:p></w:txbxContent></v:textbox></w:pict></w:r><w:r><w:t>h</w:t>"
         "</w:r></w:p>"},
        {"<w:p><w:r><w:t> dhath</w:t><w:t xml:space=\"preserve\">dhath </w:t></w:r></w:p>",
         "<w:p><w:r><w:t xml:space=\"preserve\"> ðæþ</w:t><w:t xml:space=\"preserve\">ðæþ </w:t>"
         "</w:r></w:p>"},
        // A letter held to the paragraph's end stays in its own run, not a later empty one.
        {"<w:p><w:r><w:t>k</w:t></w:r><w:r><w:t/></w:r></w:p>",
         "<w:p><w:r><w:t>k</w:t></w:r><w:r><w:t/></w:r></w:p>"},
        {"<w:p><w:r><w:t>1 &#62; 0</w:t></w:r></w:p>",
         "<w:p><w:r><w:t>1 &#62; 0</w:t></w:r></w:p>"},
        {"<w:p><w:r><w:t>dhath &lt;</w:t></w:r></w:p>",
         "<w:p><w:r><w:t>ðæþ &lt;</w:t></w:r></w:p>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Convert(MakeDocx(c.in)), MakeDocx(c.out)) << c.in;
    }
}

TEST(Docx, ConvertsHeadersFootersNotesAndCommentsAndNothingElse) {
    const std::string in = "<w:p><w:r><w:t>dhath</w:t></w:r></w:p>";
    const std::string out = "<w:p><w:r><w:t>ðæþ</w:t></w:r></w:p>";
    const struct {
        std::string part;
        std::string root;
        bool converted;
    } parts[] = {
        {"word/header1.xml", "hdr", true},
        {"word/footer2.xml", "ftr", true},
        {"word/footnotes.xml", "footnotes", true},
        {"word/endnotes.xml", "endnotes", true},
        {"word/comments.xml", "comments", true},
        {"word/styles.xml", "styles", false},
        {"word/glossary/document.xml", "glossaryDocument", false},
        {"docProps/core.xml", "coreProperties", false},
    };
    Entries extra;
    Entries expected;
    for (const auto& p : parts) {
        extra.emplace_back(p.part, WordXml(p.root, in));
        expected.emplace_back(p.part, WordXml(p.root, p.converted ? out : in));
    }
    EXPECT_EQ(Convert(MakeDocx(in, extra)), MakeDocx(out, expected));
}

TEST(Docx, GivesRunsOfScriptTextTheScriptFont) {
    const Case cases[] = {
        {"<w:r><w:t>dhath</w:t></w:r>", "<w:r><w:rPr>" + kFonts + "</w:rPr><w:t>dqT</w:t></w:r>"},
        {"<w:r><w:rPr/><w:t>dhath</w:t></w:r>",
         "<w:r><w:rPr>" + kFonts + "</w:rPr><w:t>dqT</w:t></w:r>"},
        {"<w:r><w:rPr><w:b/></w:rPr><w:t>dhath</w:t></w:r>",
         "<w:r><w:rPr>" + kFonts + "<w:b/></w:rPr><w:t>dqT</w:t></w:r>"},
        {"<w:r><w:rPr><w:rStyle w:val=\"E\"/><w:rFonts w:ascii=\"Arial\" w:hint=\"cs\"/><w:b/>"
         "</w:rPr><w:t>dhath</w:t></w:r>",
         "<w:r><w:rPr><w:rStyle w:val=\"E\"/>" + kFonts + "<w:b/></w:rPr><w:t>dqT</w:t></w:r>"},
        {"<w:r><w:t>42</w:t></w:r>", "<w:r><w:t>42</w:t></w:r>"},
        {"<w:pPr><w:rPr><w:b/></w:rPr></w:pPr>", "<w:pPr><w:rPr><w:b/></w:rPr></w:pPr>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Convert(MakeDocx("<w:p>" + c.in + "</w:p>"), Standard::Old, Standard::Script),
                  MakeDocx("<w:p>" + c.out + "</w:p>"))
            << c.in;
    }
}

TEST(Docx, TakesTheScriptFontAwayFromTextReadAsScript) {
    EXPECT_EQ(Convert(MakeDocx("<w:p><w:r><w:rPr>" + kFonts +
                               "<w:b/></w:rPr><w:t>kExO</w:t>"
                               "</w:r><w:r><w:rPr><w:rFonts w:ascii=\"Arial\"/></w:rPr><w:t> dqT"
                               "</w:t></w:r></w:p>"),
                      Standard::Script, Standard::New),
              MakeDocx("<w:p><w:r><w:rPr><w:b/></w:rPr><w:t>xícó</w:t></w:r><w:r><w:rPr>"
                       "<w:rFonts w:ascii=\"Arial\"/></w:rPr><w:t xml:space=\"preserve\"> ðæþ"
                       "</w:t></w:r></w:p>"));
}

// Each part of the archive written another way.
template <typename Rewrite>
Entries Rewritten(Entries entries, const Rewrite& rewrite) {
    for (auto& entry : entries) {
        entry.second = rewrite(entry.second);
    }
    return entries;
}

TEST(Docx, ConvertsWhateverPrefixWordprocessingMLHas) {
    const auto other = [](const std::string& xml) { return testing::Renamed(xml, {{"w", "o"}}); };
    const auto byDefault = [](const std::string& xml) {
        return testing::InDefaultNamespace(xml, "w");
    };
    const std::string split = "<w:p><w:r><w:t>Khee</w:t></w:r><w:r><w:rPr><w:b/></w:rPr>"
                              "<w:t>tsoy</w:t></w:r></w:p>";
    const std::string script = "<w:p><w:r><w:rPr>" + kFonts +
                               "<w:b/></w:rPr><w:t>kExO</w:t></w:r>"
                               "<w:r><w:rPr/><w:t>dqT</w:t></w:r><w:r><w:t>dqT</w:t></w:r></w:p>";
    const struct {
        std::string body;
        Standard from;
        Standard to;
    } cases[] = {
        {split, Standard::Old, Standard::New},
        {split, Standard::Old, Standard::Script},
        {script, Standard::Script, Standard::New},
    };
    for (const auto& c : cases) {
        const Entries usual = Convert(MakeDocx(c.body), c.from, c.to);
        EXPECT_EQ(Convert(Rewritten(MakeDocx(c.body), other), c.from, c.to),
                  Rewritten(usual, other))
            << c.body;
        EXPECT_EQ(Convert(Rewritten(MakeDocx(c.body), byDefault), c.from, c.to),
                  Rewritten(usual, byDefault))
            << c.body;
    }
}

TEST(Docx, DeclaresAPrefixForTheScriptFontWhereWordprocessingMLHasNone) {
    for (const std::string uri : {"http://schemas.openxmlformats.org/wordprocessingml/2006/main",
                                  "http://purl.oclc.org/ooxml/wordprocessingml/main"}) {
        const auto document = [&](const std::string& run) {
            Entries entries = MakeDocx("");
            entries[2].second =
                "<document xmlns=\"" + uri + "\"><body><p>" + run + "</p></body></document>";
            return entries;
        };
        EXPECT_EQ(Convert(document("<r><t>dhath</t></r>"), Standard::Old, Standard::Script),
                  document("<r><rPr><rFonts xmlns:w=\"" + uri + "\"" +
                           kFonts.substr(kFonts.find(' ')) + "</rPr><t>dqT</t></r>"))
            << uri;
    }
}

TEST(Docx, NamesWhatItCannotRead) {
    const std::string docx = Zip(MakeDocx("<w:p/>"));
    Entries noDocument = MakeDocx("");
    noDocument.erase(noDocument.begin() + 2);
    const auto withDocument = [](const std::string& xml) {
        Entries entries = MakeDocx("");
        entries[2].second = xml;
        return Zip(entries);
    };
    const struct {
        std::string archive;
        std::string part;
    } cases[] = {
        {docx.substr(0, docx.size() - 10), ""},
        {Zip(noDocument), "word/document.xml"},
        {Zip(MakeDocx("<w:p>")), "word/document.xml"},
        {withDocument("<!DOCTYPE w:document [<!ENTITY e \"x\">]><w:document>&e;</w:document>"),
         "word/document.xml"},
        {withDocument("<?xml version=\"1.0\" encoding=\"UTF-16\"?><w:document/>"),
         "word/document.xml"},
        {Zip(MakeDocx("", {{"word/header1.xml", "<w:hdr>"}})), "word/header1.xml"},
    };
    for (const auto& c : cases) {
        try {
            (void)ConvertDocx(c.archive, DocumentSettings());
            ADD_FAILURE() << "converted: " << c.part;
        } catch (const DocumentError& error) {
            EXPECT_EQ(error.part(), c.part) << error.what();
        }
    }
}

} // namespace
} // namespace orvani::documents
