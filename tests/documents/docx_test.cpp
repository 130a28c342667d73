// DOCX: the text of w:t elements converted a paragraph at a time, the Script font given and
// taken away, and every other byte of the archive kept.

#include "encodings.h"
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

Entries Convert(const Entries& entries, Standard from = Standard::Old, Standard to = Standard::New,
                bool byFont = true) {
    DocumentSettings settings;
    settings.from = from;
    settings.to = to;
    settings.byFont = byFont;
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
        {"<w:p><w:r><w:instrText>dhath</w:instrText></w:r></w:p>",
         "<w:p><w:r><w:instrText>dhath</w:instrText></w:r></w:p>"},
        // Deleted text is converted on its own; the text around it reads on across it.
        {"<w:p><w:r><w:t>s</w:t></w:r><w:del><w:r><w:delText>dh</w:delText></w:r></w:del>"
         "<w:r><w:t>h</w:t></w:r><w:del><w:r><w:delText>a</w:delText></w:r></w:del></w:p>",
         "<w:p><w:r><w:t></w:t></w:r><w:del><w:r><w:delText>ð</w:delText></w:r>"
         "</w:del><w:r><w:t>š</w:t></w:r><w:del><w:r><w:delText>æ</w:delText></w:r>"
         "</w:del></w:p>"},
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
                      Standard::Script, Standard::New, false),
              MakeDocx("<w:p><w:r><w:rPr><w:b/></w:rPr><w:t>xícó</w:t></w:r><w:r><w:rPr>"
                       "<w:rFonts w:ascii=\"Arial\"/></w:rPr><w:t xml:space=\"preserve\"> ðæþ"
                       "</w:t></w:r></w:p>"));
}

const std::string kScript = R"(w:ascii="Orvani Script" w:hAnsi="Orvani Script")";

// A styles part: a paragraph style P and a character style C, each with `fonts` (the
// attributes of its w:rFonts, or none), and the document defaults with theirs.
std::string StylesXml(const std::string& paragraph, const std::string& character,
                      const std::string& defaults = "", const std::string& more = "") {
    const auto fonts = [](const std::string& attributes) {
        return attributes.empty() ? std::string() : "<w:rPr><w:rFonts " + attributes + "/></w:rPr>";
    };
    return WordXml("styles", "<w:docDefaults><w:rPrDefault>" + fonts(defaults) +
                                 "</w:rPrDefault></w:docDefaults>"
                                 "<w:style w:type=\"paragraph\" w:styleId=\"P\">" +
                                 fonts(paragraph) +
                                 "</w:style><w:style w:type=\"character\" w:styleId=\"C\">" +
                                 fonts(character) + "</w:style>" + more);
}

const std::string kTheme =
    R"(<a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"><a:themeElements>)"
    R"(<a:fontScheme><a:majorFont><a:latin typeface="Orvani Script"/></a:majorFont><a:minorFont>)"
    R"(<a:latin typeface="Calibri"/></a:minorFont></a:fontScheme></a:themeElements></a:theme>)";

// A paragraph of English commentary and a Script word whose font comes from `styles`, with
// `pPr` and `rPr` for the paragraph and the word.
std::string Commentary(const std::string& pPr, const std::string& rPr, const std::string& word) {
    return "<w:p>" + pPr +
           "<w:r><w:rPr><w:rFonts w:ascii=\"Arial\"/></w:rPr><w:t>Commentary"
           "</w:t></w:r><w:r>" +
           rPr + "<w:t>" + word + "</w:t></w:r></w:p>";
}

TEST(DocxFonts, ConvertsFromScriptOnlyTheTextThatTheDocumentShowsInTheScriptFont) {
    const std::string p = "<w:pPr><w:pStyle w:val=\"P\"/></w:pPr>";
    const std::string c = "<w:rPr><w:rStyle w:val=\"C\"/></w:rPr>";
    const std::string direct = "<w:rPr><w:rFonts " + kScript + "/></w:rPr>";
    const std::string defaultP = "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"N\">"
                                 "<w:basedOn w:val=\"P\"/></w:style>";
    const std::string basedOn = "<w:style w:type=\"character\" w:styleId=\"D\">"
                                "<w:basedOn w:val=\"C\"/></w:style>";
    const struct {
        const char* what;
        std::string styles;
        std::string pPr;
        std::string rPr;
        bool script;
    } cases[] = {
        {"direct", StylesXml("", ""), "", direct, true},
        {"character style", StylesXml("", kScript), "", c, true},
        {"paragraph style", StylesXml(kScript, ""), p, "", true},
        {"default paragraph style, based on", StylesXml(kScript, "", "", defaultP), "", "", true},
        {"character style based on", StylesXml("", kScript, "", basedOn), "",
         "<w:rPr><w:rStyle w:val=\"D\"/></w:rPr>", true},
        {"document defaults", StylesXml("", "", kScript), "", "", true},
        {"theme", StylesXml("", "", R"(w:asciiTheme="majorHAnsi" w:ascii="Arial")"), "", "", true},
        {"theme's other font", StylesXml("", "", R"(w:asciiTheme="minorHAnsi")"), "", "", false},
        {"character style over paragraph style", StylesXml(kScript, "w:ascii=\"Arial\""), p, c,
         false},
        {"direct over style", StylesXml(kScript, ""), p,
         "<w:rPr><w:rFonts w:ascii=\"Arial\"/></w:rPr>", false},
        {"none", StylesXml("", ""), "", "", false},
    };
    for (const auto& c : cases) {
        const Entries extra{{"word/styles.xml", c.styles}, {"word/theme/theme1.xml", kTheme}};
        const Entries out = Convert(MakeDocx(Commentary(c.pPr, c.rPr, "kExO"), extra),
                                    Standard::Script, Standard::New);
        const std::string& body = out[2].second;
        EXPECT_NE(body.find("<w:t>Commentary</w:t>"), std::string::npos) << c.what;
        EXPECT_EQ(body.find(c.script ? "kExO" : "xícó"), std::string::npos) << c.what << body;
    }
}

TEST(DocxFonts, TakesTheScriptFontAwayWhereverItCameFrom) {
    const std::string p = "<w:pPr><w:pStyle w:val=\"P\"/></w:pPr>";
    const auto run = [](const std::string& rPr) { return "<w:r>" + rPr + "<w:t>kExO</w:t></w:r>"; };
    const auto fonts = [](const std::string& rest, const std::string& attributes) {
        return "<w:rPr>" + rest + "<w:rFonts " + attributes + "/></w:rPr>";
    };
    const std::string c = "<w:rStyle w:val=\"C\"/>";
    const struct {
        const char* what;
        std::string styles;
        std::string rPr;
        std::string taken; // the run's properties after
    } cases[] = {
        {"direct, the style's font below", StylesXml("w:ascii=\"Georgia\"", ""),
         fonts("", kScript + " w:cs=\"Arial\" w:hint=\"cs\""),
         fonts("", R"(w:cs="Arial" w:hint="cs")")},
        {"character style, back to the paragraph's", StylesXml("w:ascii=\"Georgia\"", kScript),
         "<w:rPr>" + c + "</w:rPr>", fonts(c, R"(w:ascii="Georgia" w:hAnsiTheme="minorHAnsi")")},
        {"paragraph style, back to the defaults'", StylesXml(kScript, "", "w:ascii=\"Cambria\""),
         "", fonts("", R"(w:ascii="Cambria" w:hAnsiTheme="minorHAnsi")")},
        {"everything, back to the theme's body font", StylesXml(kScript, kScript, kScript),
         "<w:rPr>" + c + "<w:b/></w:rPr>",
         "<w:rPr>" + c +
             R"(<w:rFonts w:asciiTheme="minorHAnsi" w:hAnsiTheme="minorHAnsi"/><w:b/></w:rPr>)"},
    };
    for (const auto& c : cases) {
        const Entries extra{
            {"word/styles.xml", c.styles},
            {"word/theme/theme1.xml",
             R"(<a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"><a:minorFont><a:latin typeface="Calibri"/></a:minorFont></a:theme>)"}};
        EXPECT_EQ(
            Convert(MakeDocx("<w:p>" + p + run(c.rPr) + "</w:p>", extra), Standard::Script,
                    Standard::New)[2]
                .second,
            MakeDocx("<w:p>" + p + "<w:r>" + c.taken + "<w:t>xícó</w:t></w:r></w:p>")[2].second)
            << c.what;
    }
}

TEST(DocxFonts, LeavesTextInTheScriptFontAloneWhenReadingOldOrNew) {
    const Entries extra{{"word/styles.xml", StylesXml("", kScript)}};
    const auto body = [](const std::string& plain, const std::string& script) {
        return "<w:p><w:r>" + plain + "</w:r><w:r><w:rPr><w:rStyle w:val=\"C\"/></w:rPr><w:t>" +
               script + "</w:t></w:r></w:p>";
    };
    const std::string in = body("<w:t>sh</w:t>", "sh");
    EXPECT_EQ(Convert(MakeDocx(in, extra))[2].second,
              MakeDocx(body("<w:t>š</w:t>", "sh"))[2].second);
    EXPECT_EQ(Convert(MakeDocx(in, extra), Standard::Old, Standard::Script)[2].second,
              MakeDocx(body("<w:rPr>" + kFonts + "</w:rPr><w:t>S</w:t>", "sh"))[2].second);
    EXPECT_EQ(Convert(MakeDocx(in, extra), Standard::Old, Standard::New, false)[2].second,
              MakeDocx(body("<w:t>š</w:t>", "š"))[2].second);
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

// The title, subject and keywords are what a reader sees of the properties; they have no font.
TEST(Docx, ConvertsTheTitleSubjectAndKeywords) {
    const auto core = [](const std::string& properties) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<cp:coreProperties xmlns:cp=\"http://"
               "schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
               "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">" +
               properties + "</cp:coreProperties>";
    };
    const std::string in = "<dc:title>Kheetsoy</dc:title><dc:subject>sh &amp; dh</dc:subject>"
                           "<cp:keywords>dhath; sh</cp:keywords><dc:creator>Sasha</dc:creator>"
                           "<dc:description>sh</dc:description><dc:title/>";
    const std::string out = "<dc:title>xícó</dc:title><dc:subject>š &amp; ð</dc:subject>"
                            "<cp:keywords>ðæþ; š</cp:keywords><dc:creator>Sasha</dc:creator>"
                            "<dc:description>sh</dc:description><dc:title/>";
    EXPECT_EQ(Convert(MakeDocx("", {{"docProps/core.xml", core(in)}})),
              MakeDocx("", {{"docProps/core.xml", core(out)}}));
    // They are in no font, so never the Script font's.
    EXPECT_EQ(Convert(MakeDocx("", {{"docProps/core.xml", core("<dc:title>kExO</dc:title>")}}),
                      Standard::Script, Standard::New),
              MakeDocx("", {{"docProps/core.xml", core("<dc:title>kExO</dc:title>")}}));
}

// A part in UTF-16 or in the encoding it declares is read in it and written back in it.
TEST(Docx, ReadsAndWritesEachPartInItsOwnEncoding) {
    const std::u16string w =
        u"xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    const std::u16string in = u"<w:p><w:r><w:t>Kheetsoy sh</w:t></w:r></w:p>";
    const std::u16string out = u"<w:p><w:r><w:t>x\u00EDc\u00F3 \u0161</w:t></w:r></w:p>";
    const auto utf16 = [&](const std::u16string& body, testing::Endian endian, bool mark) {
        return testing::Utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><w:document " + w +
                                  u"><w:body>" + body + u"</w:body></w:document>",
                              endian, mark);
    };
    const std::string latin1 = "<?xml version='1.0' encoding='ISO-8859-1'?><w:document "
                               "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/"
                               "main\"><w:body><w:p><w:r><w:t>";
    const Case cases[] = {
        {utf16(in, testing::Endian::Little, true), utf16(out, testing::Endian::Little, true)},
        {utf16(in, testing::Endian::Big, true), utf16(out, testing::Endian::Big, true)},
        {utf16(in, testing::Endian::Little, false), utf16(out, testing::Endian::Little, false)},
        // What Latin-1 cannot hold is written as a character reference.
        {latin1 + "Kheetsoy sh \xA7</w:t></w:r></w:p></w:body></w:document>",
         latin1 + "x\xED"
                  "c\xF3 &#353; \xA7</w:t></w:r></w:p></w:body></w:document>"},
    };
    for (const Case& c : cases) {
        Entries entries = MakeDocx("");
        entries[2].second = c.in;
        Entries expected = entries;
        expected[2].second = c.out;
        EXPECT_EQ(Convert(entries), expected);
    }
    Entries entries = MakeDocx("");
    entries[2].second = latin1 + "x\xED"
                                 "c\xF3</w:t></w:r></w:p></w:body></w:document>";
    EXPECT_EQ(Convert(entries, Standard::New, Standard::Old)[2].second,
              latin1 + "kheetsoy</w:t></w:r></w:p></w:body></w:document>");
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
        {withDocument("<?xml version=\"1.0\" encoding=\"x-unheard-of\"?><w:document/>"),
         "word/document.xml"},
        {withDocument("<?xml version=\"1.0\" encoding=\"US-ASCII\"?><w:document>\xE9"
                      "</w:document>"),
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

// Each part within its own cap, but together more than a document may hold: refused before
// any is read, as a small archive of large headers would take minutes and gigabytes.
TEST(Docx, RefusesPartsThatComeToMoreThanADocumentMayHold) {
    const std::string large(180 << 20, ' ');
    Entries entries = MakeDocx("<w:p/>");
    for (const char* name : {"word/header1.xml", "word/header2.xml", "word/header3.xml"}) {
        entries.emplace_back(name, large);
    }
    try {
        (void)ConvertDocx(Zip(entries), DocumentSettings());
        ADD_FAILURE();
    } catch (const DocumentError& error) {
        EXPECT_STREQ(error.what(),
                     "its parts come to more than 512 MiB once decompressed, the most a document "
                     "may hold");
    }
}

} // namespace
} // namespace orvani::documents
