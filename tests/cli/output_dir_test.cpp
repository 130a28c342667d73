// --output-dir: each input into the folder under its own name and format, atomically each,
// going on past a file that fails.

#include "../documents/sample_documents.h"
#include "cli_process.h"

namespace {

using namespace orvani::testing;

TEST_F(CliTest, ConvertsEachFileIntoTheFolderAndGoesOnPastOneThatFails) {
    fs::create_directories(dir_ / "in");
    fs::create_directories(dir_ / "other");
    write("in/a.txt", "Kheetsoy\n");
    write("in/bad.txt", "sh\x81\n");
    write("in/c.txt", "dhath\n");
    write("other/a.txt", "sh");
    const Outcome result =
        run({"-f", "old", "-t", "new", "--output-dir", "out", "--verbose", "in/a.txt", "in/bad.txt",
             "missing.txt", "other/a.txt", "in/c.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "orvaniconv-cli: in/a.txt -> out/a.txt\n"
                          "orvaniconv-cli: in/bad.txt: invalid UTF-8 at byte 2\n"
                          "orvaniconv-cli: missing.txt: No such file or directory\n"
                          "orvaniconv-cli: other/a.txt: not written, for out/a.txt is written "
                          "from in/a.txt\n"
                          "orvaniconv-cli: in/c.txt -> out/c.txt\n");
    std::vector<std::string> written;
    for (const auto& entry : fs::directory_iterator(dir_ / "out")) {
        written.push_back(entry.path().filename().string());
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"a.txt", "c.txt"})); // no temporary file left
    EXPECT_EQ(read("out/a.txt"), "xícó\n");
    EXPECT_EQ(read("out/c.txt"), "ðæþ\n");

    // Quiet without --verbose, and the folder may be the inputs' own.
    const Outcome again = run({"-f", "new", "-t", "old", "--output-dir=out", "out/a.txt"});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.err, "");
    EXPECT_EQ(read("out/a.txt"), "kheetsoy\n");
}

TEST_F(CliTest, ConvertsDocumentsIntoTheFolderInTheirOwnFormats) {
    write("letter.docx",
          MakeDocx(R"(<w:p><w:r><w:t>Khee</w:t></w:r><w:r><w:t>tsoy</w:t></w:r></w:p>)"));
    write("page.html", "<p>sh</p>");
    const Outcome result =
        run({"-f", "old", "-t", "new", "--output-dir", "out", "letter.docx", "page.html"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(read("out/page.html"), "<p>š</p>");
    const auto parts = ReadZip(read("out/letter.docx"));
    ASSERT_EQ(parts.size(), 4U);
    EXPECT_NE(parts[2].second.find("<w:t>xí</w:t>"), std::string::npos) << parts[2].second;
}

TEST_F(CliTest, ShowsProgressOnATerminalWhenThereAreManyFiles) {
    const Outcome result = shell(R"(
        mkdir many few
        for i in $(seq 1 10); do echo "sh $i" > many/f$i.txt; done
        echo sh > few/one.txt
        script -qec "$CLI -f old -t new --output-dir out many/*.txt" /dev/null > many.log
        script -qec "$CLI -f old -t new --output-dir out few/one.txt" /dev/null > few.log
        "$CLI" -f old -t new --output-dir out many/*.txt 2> piped.log
        cat out/f10.txt; wc -c < few.log; wc -c < piped.log
        grep -c '10/10 files' many.log
    )");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "š 10\n0\n0\n1\n");
}

} // namespace
