// --report: what passed through unconverted and what does not convert back, per input, on
// standard error, as text or JSON; the output and the exit status are as without it.

#include "cli_process.h"

namespace {

using namespace orvani::testing;

TEST_F(CliTest, ReportsWhatPassedThroughAndWhatIsMerged) {
    write("letter.old", "Kheetsoy,\nSeñor Ñoo señor piñata\n");
    const Outcome plain = run({"-f", "old", "-t", "new", "letter.old"});
    const Outcome result = run({"-f", "old", "-t", "new", "--report", "letter.old"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, plain.out);
    EXPECT_EQ(result.err, "orvaniconv-cli: letter.old: Old to New\n"
                          "  passed through unconverted, named by no table of Old:\n"
                          "    Ñ U+00D1 ×1, first at line 2, column 7\n"
                          "    ñ U+00F1 ×3, first at line 2, column 3\n"
                          "  not converted back as they were:\n"
                          "    Old e becomes New e, which converts back to Old eh\n"
                          "    capitals come back as small letters (--keep-case keeps them)\n");
}

TEST_F(CliTest, ReportsEachInputOnItsOwnAndAsJson) {
    write("a.new", "Qqæ\n");
    write("b.new", "\"ñ\"");
    write("page.html", "<p>x <b>ñ</b></p>");
    const Outcome result =
        run({"-f", "new", "-t", "script", "--report=json", "a.new", "b.new", "page.html"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.out.starts_with("qqq\n\"ñ\"<p>")) << result.out;
    EXPECT_EQ(result.err,
              "[\n"
              "  {\"input\": \"a.new\", \"from\": \"new\", \"to\": \"script\",\n"
              "   \"unconverted\": [],\n"
              "   \"merged\": [{\"characters\": [\"Q\", \"q\", \"æ\"], \"written\": \"q\", "
              "\"converts_back_to\": \"æ\"}],\n"
              "   \"capitals_lowered\": false},\n"
              "  {\"input\": \"b.new\", \"from\": \"new\", \"to\": \"script\",\n"
              "   \"unconverted\": [{\"character\": \"ñ\", \"code_point\": \"U+00F1\", \"count\": "
              "1, \"first_line\": 1, \"first_column\": 2}],\n"
              "   \"merged\": [],\n"
              "   \"capitals_lowered\": false},\n"
              "  {\"input\": \"page.html\", \"from\": \"new\", \"to\": \"script\",\n"
              "   \"unconverted\": [{\"character\": \"ñ\", \"code_point\": \"U+00F1\", \"count\": "
              "1, \"first_index\": 2}],\n"
              "   \"merged\": [],\n"
              "   \"capitals_lowered\": false}\n"
              "]\n");
}

TEST_F(CliTest, ReportsNothingLostWhereNothingIs) {
    const Outcome result = run({"-f", "new", "-t", "old", "--keep-case", "--report"}, "Xícó 12");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Kheetsoy 12");
    EXPECT_EQ(result.err, "orvaniconv-cli: standard input: New to Old\n"
                          "  nothing passed through unconverted\n"
                          "  everything converts back as it was\n");
}

} // namespace
