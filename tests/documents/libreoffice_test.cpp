// Documents converted by the real filter and opened by a real word processor: LibreOffice,
// headless, turns each result into text and HTML, which must read converted and keep the
// formatting (a bold run, a table cell, a footnote, a heading, the Script font, a picture).

#include "encodings.h"
#include "prefixes.h"
#include "sample_documents.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace orvani::testing;

std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

class LibreOfficeTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "orvani-office-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    std::string read(const fs::path& path) const {
        std::ifstream file(dir_ / path, std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }
    // Runs the filter in the folder; its exit status.
    int filter(const std::string& args) const {
        return std::system(("cd " + Quote(dir_.string()) + " && " + Quote(ORVANICONV_CLI) + " " +
                            args + " 2>.stderr")
                               .c_str());
    }
    // What LibreOffice makes of `file` saved as `format` ("txt:Text", "html").
    std::string office(const std::string& file, const std::string& format) const {
        const std::string command = "cd " + Quote(dir_.string()) + " && " + Quote(SOFFICE) +
                                    " -env:UserInstallation=file://" + (dir_ / "profile").string() +
                                    " --headless --convert-to " + Quote(format) +
                                    " --outdir office " + Quote(file) + " >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << file;
        const std::string extension = format.substr(0, format.find(':'));
        return read(fs::path("office") / (fs::path(file).stem().string() + "." + extension));
    }

    fs::path dir_;
};

bool Contains(const std::string& text, const std::string& pattern) {
    return std::regex_search(text, std::regex(pattern));
}

const std::string kFootnotes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<w:footnotes xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
    R"(<w:footnote w:id="1"><w:p><w:r><w:t>Sheets</w:t></w:r></w:p></w:footnote></w:footnotes>)";

const std::string kStyles =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
    R"(<w:style w:type="paragraph" w:styleId="Heading1"><w:name w:val="heading 1"/>)"
    R"(<w:pPr><w:outlineLvl w:val="0"/></w:pPr></w:style></w:styles>)";

std::string LetterDocx() {
    return MakeDocx(
        R"(<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr><w:r><w:t>Ohm</w:t></w:r></w:p>)"
        R"(<w:p><w:r><w:t>Khee</w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>tsoy</w:t></w:r>)"
        R"(<w:r><w:footnoteReference w:id="1"/></w:r></w:p>)"
        R"(<w:tbl><w:tblGrid><w:gridCol w:w="2000"/></w:tblGrid><w:tr><w:tc><w:p><w:r>)"
        R"(<w:t>dhath</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:p/>)",
        {{"word/footnotes.xml", kFootnotes}, {"word/styles.xml", kStyles}},
        R"(<Relationship Id="rId9" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/footnotes" Target="footnotes.xml"/>)"
        R"(<Relationship Id="rId8" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)",
        R"(<Override PartName="/word/footnotes.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.footnotes+xml"/>)"
        R"(<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>)");
}

std::string LetterOdt() {
    return MakeOdt(
        R"(<text:h text:outline-level="1">Ohm</text:h>)"
        R"(<text:p>Khee<text:span text:style-name="T1">tsoy</text:span>)"
        R"(<text:note text:id="n1" text:note-class="footnote"><text:note-citation>1</text:note-citation>)"
        R"(<text:note-body><text:p>Sheets</text:p></text:note-body></text:note></text:p>)"
        R"(<table:table table:name="T"><table:table-column/><table:table-row><table:table-cell>)"
        R"(<text:p>dhath</text:p></table:table-cell></table:table-row></table:table>)");
}

TEST_F(LibreOfficeTest, WordAndOpenDocumentKeepTheirFormatting) {
    write("letter.docx", LetterDocx());
    write("letter.odt", LetterOdt());
    for (const std::string name : {"letter.docx", "letter.odt"}) {
        const std::string out = "new-" + name;
        ASSERT_EQ(filter("-f old -t new -o " + out + " " + name), 0) << read(".stderr");
        const std::string text = office(out, "txt:Text");
        EXPECT_TRUE(Contains(text, "xícó")) << name << ":\n" << text;
        const std::string html = office(out, "html");
        EXPECT_TRUE(Contains(html, "<h1[^>]*>(\\s|<[^>]*>)*ohm")) << name << " heading";
        EXPECT_TRUE(Contains(html, "<b>(\\s|<[^>]*>)*có")) << name << " bold run";
        EXPECT_TRUE(Contains(html, "<td[^>]*>(\\s|<[^>]*>)*ðæþ")) << name << " table cell";
        EXPECT_TRUE(Contains(html, "šíc")) << name << " footnote";
    }
}

TEST_F(LibreOfficeTest, ScriptTextCarriesTheScriptFont) {
    write("letter.docx", LetterDocx());
    write("letter.odt", LetterOdt());
    write("letter.html", "<!DOCTYPE html><html><body><p>Khee<b>tsoy</b> dhath</p></body></html>");
    for (const std::string name : {"letter.docx", "letter.odt", "letter.html"}) {
        const std::string out = "script-" + name;
        ASSERT_EQ(filter("-f old -t script -o " + out + " " + name), 0) << read(".stderr");
        const std::string html = office(out, "html");
        EXPECT_TRUE(Contains(html, "Orvani Script")) << name;
        EXPECT_TRUE(Contains(office(out, "txt:Text"), "kE(<[^>]*>)*xO")) << name;
    }
}

// English commentary with Script words whose font a style sets: a character style and a
// paragraph style in DOCX and ODT, a class rule and a paragraph's style attribute in HTML.
std::string CommentaryDocx() {
    const std::string fonts =
        R"(<w:rPr><w:rFonts w:ascii="Orvani Script" w:hAnsi="Orvani Script"/></w:rPr>)";
    return MakeDocx(
        R"(<w:p><w:r><w:t xml:space="preserve">Commentary: </w:t></w:r><w:r><w:rPr><w:rStyle w:val="Orv"/></w:rPr>)"
        R"(<w:t>kExO</w:t></w:r></w:p><w:p><w:pPr><w:pStyle w:val="OrvP"/></w:pPr><w:r><w:t>dqT</w:t></w:r></w:p>)",
        {{"word/styles.xml",
          R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
          R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
          R"(<w:style w:type="character" w:styleId="Orv"><w:name w:val="Orv"/>)" +
              fonts +
              R"(</w:style><w:style w:type="paragraph" w:styleId="OrvP"><w:name w:val="OrvP"/>)" +
              fonts + "</w:style></w:styles>"}},
        R"(<Relationship Id="rId8" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)",
        R"(<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>)");
}

std::string CommentaryOdt() {
    const std::string font = R"(<style:text-properties style:font-name="Orvani Script"/>)";
    return MakeOdt(
        R"(<text:p>Commentary: <text:span text:style-name="Orv">kExO</text:span></text:p>)"
        R"(<text:p text:style-name="OrvP">dqT</text:p>)",
        "",
        R"(<office:font-face-decls><style:font-face style:name="Orvani Script" svg:font-family="&apos;Orvani Script&apos;"/>)"
        R"(</office:font-face-decls><office:styles><style:style style:name="Orv" style:family="text">)" +
            font + R"(</style:style><style:style style:name="OrvP" style:family="paragraph">)" +
            font + "</style:style></office:styles>");
}

const std::string kCommentaryHtml =
    "<!DOCTYPE html><html><head><style>.orv { font-family: 'Orvani Script' }</style></head>"
    "<body><p>Commentary: <span class=\"orv\">kExO</span></p>"
    "<p style=\"font-family: 'Orvani Script'\">dqT</p></body></html>";

// The font that LibreOffice's HTML shows `word` in: the innermost font element around it,
// or empty.
std::string FontOf(const std::string& html, const std::string& word) {
    std::smatch found;
    if (!std::regex_search(
            html, found,
            std::regex("<font face=\"([^\"]*)\"[^>]*>(<(?!font)[^/][^>]*>)*" + word))) {
        return "";
    }
    return found[1];
}

TEST_F(LibreOfficeTest, ScriptWordsAmongCommentaryConvertAndLoseTheScriptFont) {
    write("notes.docx", CommentaryDocx());
    write("notes.odt", CommentaryOdt());
    write("notes.html", kCommentaryHtml);
    for (const std::string name : {"notes.docx", "notes.odt", "notes.html"}) {
        EXPECT_TRUE(FontOf(office(name, "html"), "kExO").starts_with("Orvani Script")) << name;
        const std::string out = "new-" + name;
        ASSERT_EQ(filter("-f script -t new -o " + out + " " + name), 0) << read(".stderr");
        const std::string text = office(out, "txt:Text");
        EXPECT_TRUE(Contains(text, "Commentary: xícó\\s+ðæþ")) << name << ":\n" << text;
        const std::string html = office(out, "html");
        for (const std::string word : {"xícó", "ðæþ"}) {
            EXPECT_FALSE(FontOf(html, word).starts_with("Orvani Script")) << name << " " << word;
        }
    }
}

// A letter typed in WordPad: English commentary with a few words in the Script font, a word
// split by bold, red text and a picture (a PNG of one pixel).
const std::string kLetterRtf =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}"
    "{\\f1\\fnil\\fcharset0 Orvani Script;}}{\\colortbl;\\red255\\green0\\blue0;}\n"
    "\\pard\\plain Commentary: {\\f1 kE}{\\b\\f1 xO} and Khee{\\b tsoy} {\\cf1 dhath}\\par\n"
    "{\\pict\\pngblip\\picw1\\pich1\\picwgoal600\\pichgoal600 "
    "89504e470d0a1a0a0000000d49484452000000010000000108000000003a7e9b550000000a49444154789c63"
    "6000000002000148afa4710000000049454e44ae426082}\\par\n}";

TEST_F(LibreOfficeTest, RichTextKeepsItsFormattingAndGoesByFont) {
    write("letter.rtf", kLetterRtf);
    const struct {
        std::string args;
        std::string text;      // as LibreOffice reads the result
        std::string converted; // a converted word, and whether it is in the Script font
        bool script;
    } cases[] = {
        {"-f script -t new", "Commentary: xícó and Kheetsoy dhath", "xí", false},
        {"-f old -t new --all-text", "commentæry: kexo ænd xícó ðæþ", "ðæþ", false},
        {"-f old -t script", "xommentqry: kExO qnD kExO dqT", "dqT", true},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(filter(c.args + " -o out.rtf letter.rtf"), 0) << read(".stderr");
        const std::string text = office("out.rtf", "txt:Text");
        EXPECT_TRUE(Contains(text, c.text)) << c.args << ":\n" << text;
        const std::string html = office("out.rtf", "html");
        EXPECT_EQ(FontOf(html, c.converted).starts_with("Orvani Script"), c.script) << c.args;
        EXPECT_TRUE(Contains(html, "<b>(\\s|<[^>]*>)*(có|xO)")) << c.args << " bold run";
        EXPECT_TRUE(Contains(html, "color=\"#ff0000\"")) << c.args << " red text";
        EXPECT_TRUE(Contains(html, "<img ")) << c.args << " picture";
    }
}

// The same letter saved by LibreOffice as Word 97-2003, converted through LibreOffice.
TEST_F(LibreOfficeTest, WordNinetySevenConvertsThroughLibreOffice) {
    write("letter.rtf", kLetterRtf);
    write("letter.doc", office("letter.rtf", "doc:MS Word 97"));
    ASSERT_EQ(filter("-f script -t new -o new.doc letter.doc"), 0) << read(".stderr");
    EXPECT_TRUE(read("new.doc").starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"));
    const std::string text = office("new.doc", "txt:Text");
    EXPECT_TRUE(Contains(text, "Commentary: xícó and Kheetsoy dhath")) << text;
    const std::string html = office("new.doc", "html");
    EXPECT_FALSE(FontOf(html, "xí").starts_with("Orvani Script"));
    EXPECT_TRUE(Contains(html, "<b>(\\s|<[^>]*>)*có")) << "bold run";
    EXPECT_TRUE(Contains(html, "<img ")) << "picture";
    ASSERT_EQ(filter("-f script -t new -o new.docx letter.doc"), 0) << read(".stderr");
    EXPECT_TRUE(read("new.docx").starts_with("PK\x03\x04"));
}

// The same document with its parts' namespaces bound to prefixes of their own.
std::string RenamedOdt(const std::string& odt) {
    std::vector<ZipEntry> entries;
    for (auto& [name, content] : ReadZip(odt)) {
        const bool part = name == "content.xml" || name == "styles.xml";
        entries.push_back(
            {name,
             part ? Renamed(content, {{"office", "o"}, {"style", "s"}, {"text", "t"}}) : content,
             name == "mimetype"});
    }
    return BuildZip(entries);
}

TEST_F(LibreOfficeTest, OpenDocumentUnderOtherPrefixesCarriesTheScriptFont) {
    write("letter.odt", RenamedOdt(LetterOdt()));
    ASSERT_EQ(filter("-f old -t script -o script.odt letter.odt"), 0) << read(".stderr");
    EXPECT_TRUE(Contains(office("script.odt", "txt:Text"), "kE(<[^>]*>)*xO"));
    EXPECT_TRUE(Contains(office("script.odt", "html"), "Orvani Script"));
}

// `document` with the part `name` made over by `change`.
std::string WithPart(const std::string& document, const std::string& name,
                     const std::function<std::string(std::string)>& change) {
    std::vector<ZipEntry> entries;
    for (auto& [part, content] : ReadZip(document)) {
        entries.push_back({part, part == name ? change(content) : content, part == "mimetype"});
    }
    return BuildZip(entries);
}

std::string Declaring(std::string xml, const std::string& encoding) {
    return xml.replace(xml.find("UTF-8"), 5, encoding);
}

TEST_F(LibreOfficeTest, PartsAndPagesInOtherEncodingsConvertAndOpen) {
    write("letter.odt", WithPart(LetterOdt(), "content.xml", [](std::string xml) {
              return Utf16(Declaring(std::move(xml), "UTF-16"), Endian::Little);
          }));
    write("letter.docx", WithPart(LetterDocx(), "word/document.xml", [](std::string xml) {
              return Declaring(std::move(xml), "ISO-8859-1");
          }));
    write("page.html", "<html><head><meta charset=windows-1252></head><body><p>Kheetsoy sh "
                       "\x80</p></body></html>");
    for (const std::string name : {"letter.odt", "letter.docx", "page.html"}) {
        ASSERT_EQ(filter("-f old -t new -o new-" + name + " " + name), 0) << read(".stderr");
        const std::string text = office("new-" + name, "txt:Text");
        EXPECT_TRUE(Contains(text, "xícó")) << name << ":\n" << text;
        EXPECT_TRUE(Contains(text, name == "page.html" ? "š €" : "ðæþ")) << name << ":\n" << text;
    }
}

// What a reader sees: the title and keywords that a title field and the file's properties
// show, deleted text that comes back if a change is rejected, flat documents, and the header
// that LibreOffice marks in HTML with a title that is no text.
TEST_F(LibreOfficeTest, PropertiesDeletionsFlatDocumentsAndHeadersReadConverted) {
    write("made.html", "<html><head><title>Kheetsoy</title><meta name=\"keywords\" "
                       "content=\"dhath\"></head><body><p>Khee<b>tsoy</b> dhath</p></body></html>");
    write("made.docx", office("made.html", "docx:MS Word 2007 XML"));
    write("made.odt", office("made.html", "odt"));
    write("flat.xml", office("made.html", "fodt:OpenDocument Text Flat XML"));
    fs::rename(dir_ / "office" / "made.fodt", dir_ / "made.fodt");
    for (const std::string name : {"made.docx", "made.odt", "made.fodt", "flat.xml"}) {
        ASSERT_EQ(filter("-f old -t new -o new-" + name + " " + name), 0) << read(".stderr");
        const std::string html = office("new-" + name, "html");
        EXPECT_TRUE(Contains(html, "<title>xícó</title>")) << name << ":\n" << html;
        EXPECT_TRUE(Contains(html, "content=\"ðæþ\"")) << name;
        EXPECT_TRUE(Contains(office("new-" + name, "txt:Text"), "xícó ðæþ")) << name;
    }
    write("changed.docx", MakeDocx(R"(<w:p><w:r><w:t xml:space="preserve">Khee </w:t></w:r>)"
                                   R"(<w:del w:id="1" w:author="A" w:date="2020-01-01T00:00:00Z">)"
                                   R"(<w:r><w:delText>dhath</w:delText></w:r></w:del></w:p>)"));
    ASSERT_EQ(filter("-f old -t new -o new-changed.docx changed.docx"), 0) << read(".stderr");
    EXPECT_TRUE(Contains(office("new-changed.docx", "txt:Text"), "xí ðæþ"));
    write("page.html",
          "<html><body><div title=\"header\"><p>sh</p></div><p>dhath</p></body></html>");
    ASSERT_EQ(filter("-f old -t new -o new-page.html page.html"), 0) << read(".stderr");
    for (const auto& [part, content] : ReadZip(office("new-page.html", "odt"))) {
        if (part == "styles.xml") {
            EXPECT_TRUE(Contains(content, "<style:header><text:p[^>]*>š</text:p>")) << content;
        }
    }
}

// Documents as LibreOffice itself writes them, with all the parts and order of a real one.
TEST_F(LibreOfficeTest, DocumentsWrittenByLibreOfficeConvert) {
    write("made.html", "<html><body><h1>Ohm</h1><p>Khee<b>tsoy</b> dhath</p></body></html>");
    for (const std::string format : {"docx:MS Word 2007 XML", "odt", "rtf:Rich Text Format"}) {
        const std::string made = office("made.html", format);
        const std::string name = "made." + format.substr(0, format.find(':'));
        write(name, made);
        ASSERT_EQ(filter("-f old -t new -o new-" + name + " " + name), 0) << read(".stderr");
        EXPECT_TRUE(Contains(office("new-" + name, "txt:Text"), "xícó ðæþ")) << name;
    }
}

TEST_F(LibreOfficeTest, HtmlReadsConverted) {
    write("page.html", "<!DOCTYPE html><html><head><title>Ohm</title></head><body>"
                       "<h1>Ohm</h1><p>Khee<b>tsoy</b></p><table><tr><td>dhath</td></tr></table>"
                       "</body></html>");
    ASSERT_EQ(filter("-f old -t new -o new-page.html page.html"), 0) << read(".stderr");
    const std::string text = office("new-page.html", "txt:Text");
    EXPECT_TRUE(Contains(text, "xícó")) << text;
    EXPECT_TRUE(Contains(text, "ðæþ")) << text;
}

} // namespace
