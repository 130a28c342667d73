// Documents through the filter: the format chosen from the name or the content, or as asked,
// and documents that cannot be converted refused without touching the output.

#include "../documents/sample_documents.h"
#include "cli_process.h"

namespace {

using namespace orvani::testing;

const std::string kSplitWord =
    R"(<w:p><w:r><w:t>Khee</w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>tsoy</w:t></w:r></w:p>)";

TEST_F(CliTest, ChoosesEachInputsFormat) {
    write("page.htm", "<p>Khee<b>tsoy</b> &amp; sh</p>");
    write("page", "<!DOCTYPE html>\n<p title=\"sh\">sh</p>");
    write("plain.txt", "<p>sh</p>");
    write("memo", "{\\rtf1 sh}");
    const struct {
        std::vector<std::string> args;
        std::string output;
    } cases[] = {
        {{"page.htm"}, "<p>xí<b>có</b> &amp; š</p>"},
        {{"page"}, "<!DOCTYPE html>\n<p title=\"š\">š</p>"},
        {{"plain.txt"}, "<p>š</p>"},
        {{"memo"}, "{\\rtf1 \\u353\\'9a}"},
        {{"--format", "text", "page.htm"}, "<p>xí<b>có</b> &æmp; š</p>"},
        {{"--format=html", "-"}, "<b>š</b>"},
        {{"-"}, "<b>š</b>"}, // standard input is text unless told
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"-f", "old", "-t", "new"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome result = run(args, "<b>sh</b>");
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, c.output) << c.args.back();
    }
}

TEST_F(CliTest, ConvertsAWordDocumentIntoItsOutputFile) {
    write("letter.docx", MakeDocx(kSplitWord));
    const Outcome result = run({"-f", "old", "-t", "new", "-o", "out.docx", "letter.docx"});
    EXPECT_EQ(result.status, 0) << result.err;
    const auto parts = ReadZip(read("out.docx"));
    ASSERT_EQ(parts.size(), 4U);
    EXPECT_NE(parts[2].second.find(R"(<w:t>xí</w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>có</w:t>)"),
              std::string::npos)
        << parts[2].second;
}

TEST_F(CliTest, KeepsCapitalsInADocumentOnRequest) {
    write("letter.docx", MakeDocx(kSplitWord));
    const Outcome result =
        run({"-f", "old", "-t", "new", "--keep-case", "-o", "out.docx", "letter.docx"});
    EXPECT_EQ(result.status, 0) << result.err;
    const auto parts = ReadZip(read("out.docx"));
    ASSERT_EQ(parts.size(), 4U);
    EXPECT_NE(parts[2].second.find(R"(<w:t>Xí</w:t>)"), std::string::npos) << parts[2].second;
}

TEST_F(CliTest, ConvertsOnlyTheSourceStandardsTextByFontUnlessAllTextIsAsked) {
    write("notes.html", "<style>.w{font-family:Orv}</style><p>Hi <b class=w>kExO</b></p>");
    const std::string sheet = "<style>.w{font-family:Orv}</style>";
    const struct {
        std::vector<std::string> args;
        std::string output;
    } cases[] = {
        {{"--script-font", "Orv"},
         sheet + "<p>Hi <b class=w><span style=\"font-family: serif\">xícó</span></b></p>"},
        {{"--script-font=Orv", "--all-text", "--by-font"},
         sheet + "<p>Hi <b class=w><span style=\"font-family: serif\">xícó</span></b></p>"},
        {{}, sheet + "<p>Hi <b class=w>kExO</b></p>"},
        {{"--all-text"}, sheet + "<p>hi <b class=w>xícó</b></p>"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"-f", "script", "-t", "new", "notes.html"};
        args.insert(args.begin(), c.args.begin(), c.args.end());
        const Outcome result = run(args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, c.output) << c.args.size();
    }
}

TEST_F(CliTest, ReadsAnHtmlPageInItsEncodingOrTheOneNamedAndWritesItBackSo) {
    write("page.html", "<meta charset=utf-8><p>Kheetsoy sh \xA7</p>");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string output;
    } cases[] = {
        {{"--input-encoding", "latin1"},
         0,
         "<meta charset=utf-8><p>x\xED"
         "c\xF3 &#353; \xA7</p>"},
        {{}, 1, ""},
        {{"--input-encoding", "latin1", "--output-encoding", "UTF-8"},
         0,
         "<meta charset=utf-8><p>x\xED"
         "c\xF3 &#353; \xA7</p>"},
        {{"--input-encoding", "latin1", "--output-encoding", "UTF-16"}, 1, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"-f", "old", "-t", "new", "page.html"};
        args.insert(args.begin(), c.args.begin(), c.args.end());
        const Outcome result = run(args);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(result.out, c.output) << c.args.size();
    }
}

TEST_F(CliTest, RefusesADocumentItCannotConvertAndLeavesTheOutputAlone) {
    const std::string docx = MakeDocx(kSplitWord);
    write("truncated.docx", docx.substr(0, docx.size() / 2));
    write("hostile.docx",
          MakeDocx("", {{"word/footer1.xml", "<!DOCTYPE a [<!ENTITY x SYSTEM \"/etc/passwd\">]>"
                                             "<a>&x;</a>"}}));
    // A million paragraphs, one inside the other: 16 KB that would take gigabytes to keep.
    std::string nested;
    for (int i = 0; i < 1'000'000; ++i) {
        nested += "<w:p>";
    }
    for (int i = 0; i < 1'000'000; ++i) {
        nested += "</w:p>";
    }
    write("nested.docx", MakeDocx(nested));
    write("out.docx", "previous");
    const struct {
        std::string input;
        std::string message;
    } cases[] = {
        {"truncated.docx", "truncated.docx: not a readable zip archive"},
        {"hostile.docx", "hostile.docx: word/footer1.xml: malformed XML at line 1"},
        {"nested.docx", "nested.docx: word/document.xml: malformed XML at line 1"},
    };
    for (const auto& c : cases) {
        const Outcome result = run({"-f", "old", "-t", "new", "-o", "out.docx", c.input});
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(result.err.starts_with("orvaniconv-cli: " + c.message)) << result.err;
        EXPECT_EQ(read("out.docx"), "previous");
        for (const std::string& name : files()) {
            EXPECT_FALSE(name.starts_with(".out.docx.")) << "left behind: " << name;
        }
    }
    write("letter.docx", docx);
    const Outcome result = run({"-f", "old", "-t", "new", "letter.docx", "letter.docx"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvaniconv-cli: letter.docx: a DOCX document must be the only input\n");
}

// Files that are no text and no document we read are refused by name, before any output.
TEST_F(CliTest, RefusesWhatItDoesNotReadBeforeWritingAnything) {
    write("a.txt", "sh");
    write("out.txt", "previous");
    const struct {
        std::string name;
        std::string bytes;
        std::string kind;
    } cases[] = {
        {"letter.pdf", "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n", "a PDF document"},
        {"photo", "\x89PNG\r\n\x1A\n", "a PNG image"},
        {"photo.html", "\xFF\xD8\xFF\xE0", "a JPEG image"},
        {"notes.zip", "PK\x03\x04\x14\0\0\0\0\0notes.txt", "a zip archive"},
    };
    for (const auto& c : cases) {
        write(c.name, c.bytes);
        const std::string message = "orvaniconv-cli: " + c.name + ": " + c.kind +
                                    ", which orvaniconv-cli does not convert\n";
        for (const bool toFile : {false, true}) {
            std::vector<std::string> args = {"-f", "old", "-t", "new", "a.txt", c.name};
            if (toFile) {
                args.insert(args.begin(), {"-o", "out.txt"});
            }
            const Outcome result = run(args);
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.err, message);
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(read("out.txt"), "previous");
        }
        const Outcome piped = run({"-f", "old", "-t", "new"}, c.bytes);
        EXPECT_EQ(piped.status, 1);
        EXPECT_EQ(piped.err, "orvaniconv-cli: standard input: " + c.kind +
                                 ", which orvaniconv-cli does not convert\n");
    }
}

TEST_F(CliTest, TellsADocumentOnStandardInputByItsFirstBytes) {
    const Outcome docx = run({"-f", "old", "-t", "new"}, MakeDocx(kSplitWord));
    EXPECT_EQ(docx.status, 0) << docx.err;
    const auto parts = ReadZip(docx.out);
    ASSERT_EQ(parts.size(), 4U);
    EXPECT_NE(parts[2].second.find("<w:t>xí</w:t>"), std::string::npos) << parts[2].second;
    const struct {
        std::string input;
        std::string output;
    } cases[] = {
        {"<!DOCTYPE html><html><head><meta charset=utf-8></head><p>sh</p>",
         "<!DOCTYPE html><html><head><meta charset=utf-8></head><p>š</p>"},
        {"{\\rtf1\\ansi sh}", "{\\rtf1\\ansi \\u353\\'9a}"},
        {"<b>sh</b>", "<b>š</b>"},
    };
    for (const auto& c : cases) {
        const Outcome result = run({"-f", "old", "-t", "new"}, c.input);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, c.output);
    }
}

// As gzip does, a binary result is not written to a terminal; into a pipe it is.
TEST_F(CliTest, WritesNoBinaryDocumentToATerminal) {
    write("letter.docx", MakeDocx(kSplitWord));
    const Outcome result = shell("script -qec \"$CLI -f old -t new letter.docx\" /dev/null");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("orvaniconv-cli: letter.docx: a DOCX document is not written to a "
                              "terminal: name a file with -o, or redirect standard output"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(shell("script -qec \"$CLI -f old -t new letter.docx | head -c 2\" /dev/null").out,
              "PK");
}

TEST_F(CliTest, SaysHowToInstallLibreOfficeWhereADocNeedsIt) {
    write("letter.doc", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    write("letter", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    for (const std::string name : {"letter.doc", "letter"}) {
        const Outcome result = shell("PATH=/nonexistent \"$CLI\" -f old -t new -o out.doc " + name);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "orvaniconv-cli: " + name +
                                  ": converting .doc needs LibreOffice: apt-get install "
                                  "libreoffice-writer-nogui\n");
    }
    EXPECT_EQ(files(), (std::vector<std::string>{"letter", "letter.doc"}));
}

} // namespace
