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
    write("out.docx", "previous");
    const struct {
        std::string input;
        std::string message;
    } cases[] = {
        {"truncated.docx", "truncated.docx: not a readable zip archive"},
        {"hostile.docx", "hostile.docx: word/footer1.xml: malformed XML at line 1"},
    };
    for (const auto& c : cases) {
        const Outcome result = run({"-f", "old", "-t", "new", "-o", "out.docx", c.input});
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(result.err.starts_with("orvaniconv-cli: " + c.message)) << result.err;
        EXPECT_EQ(read("out.docx"), "previous");
    }
    write("letter.docx", docx);
    const Outcome result = run({"-f", "old", "-t", "new", "letter.docx", "letter.docx"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvaniconv-cli: letter.docx: a DOCX document must be the only input\n");
}

} // namespace
