// Text as it arrives: decomposed accents, other encodings, broken bytes, and "-o" as iconv
// users expect it.

#include "cli_process.h"

namespace {

using namespace orvani::testing;
using namespace std::string_literals;

TEST_F(CliTest, ConvertsTextAsItArrives) {
    const struct {
        std::vector<std::string> args;
        std::string input;
        std::string output;
        std::string err;
    } cases[] = {
        {{"-f", "new", "-t", "old"},
         "xi\xCC\x81"
         "co\xCC\x81\n",
         "kheetsoy\n",
         ""},
        {{"-f", "new", "-t", "script"},
         "xi\xCC\x81"
         "co\xCC\x81",
         "kExO",
         ""},
        {{"-f", "new", "-t", "new", "--no-normalize"}, "i\xCC\x81", "i\xCC\x81", ""},
        {{"-f", "new", "-t", "old", "--input-encoding", "windows-1252"},
         "x\xED"
         "c\xF3 \xF0\xE6\xFE",
         "kheetsoy dhath",
         ""},
        {{"-f", "old", "-t", "new", "--output-encoding", "windows-1252"},
         "kheetsoy dhath",
         "x\xED"
         "c\xF3 \xF0\xE6\xFE",
         ""},
        {{"-f", "new", "-t", "old", "--input-encoding", "UTF-16"},
         "\xFF\xFEx\x00\xED\x00"
         "c\x00\xF3\x00"s,
         "kheetsoy",
         ""},
        {{"-f", "new", "-t", "new", "--replace-invalid"},
         "ok\xC3(\xE2\x82",
         "ok\uFFFD(\uFFFD",
         "orvaniconv-cli: standard input: replaced 2 invalid sequences with U+FFFD; the first "
         "at byte 2\n"},
        {{"-f", "new", "-t", "new", "--replace-invalid", "--input-encoding", "UTF-16LE"},
         "x\x00\x00\xD8"s,
         "x\uFFFD",
         "orvaniconv-cli: standard input: replaced 1 invalid sequence with U+FFFD; the first "
         "at byte 2\n"},
        {{"-f", "old", "-t", "new", "-o", "-"}, "sh", "š", ""},
    };
    for (const auto& c : cases) {
        const Outcome result = run(c.args, c.input);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, c.output) << c.args.back();
        EXPECT_EQ(result.err, c.err);
    }
    EXPECT_EQ(files(), std::vector<std::string>{});
}

TEST_F(CliTest, RefusesTextItCannotReadOrWrite) {
    const struct {
        std::vector<std::string> args;
        std::string input;
        std::string output;
        std::string err;
    } cases[] = {
        {{"-f", "new", "-t", "old"},
         "\xFF\xFEx\x00"s,
         "",
         "standard input: invalid UTF-8 at byte 0; it starts with a UTF-16 byte-order mark and "
         "looks like UTF-16: try --input-encoding UTF-16"},
        {{"-f", "old", "-t", "new"},
         "Se\xF1or \x93Ida\x94\n",
         "se",
         "standard input: invalid UTF-8 at byte 2; it reads as Windows-1252: try "
         "--input-encoding windows-1252"},
        {{"-f", "new", "-t", "new", "--input-encoding", "UTF-8"},
         "ab\xC3",
         "ab",
         "standard input: invalid UTF-8 at byte 2"},
        {{"-f", "new", "-t", "new", "--input-encoding", "UTF-16BE"},
         "\x00x\xDC\x00"s,
         "x",
         "standard input: invalid UTF-16BE at byte 2"},
        {{"-f", "old", "-t", "new", "--output-encoding", "ISO-8859-1"},
         "dhath\nash",
         "\xF0\xE6\xFE\n\xE6",
         "standard input: cannot write 'š' (U+0161) in ISO-8859-1: line 2, column 2 of the "
         "converted text"},
    };
    for (const auto& c : cases) {
        const Outcome result = run(c.args, c.input);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, c.output);
        EXPECT_EQ(result.err, "orvaniconv-cli: " + c.err + "\n");
    }
}

TEST_F(CliTest, AnUnwritableCharacterLeavesTheOutputFileAsItWas) {
    write("out.txt", "previous");
    const Outcome result =
        run({"-f", "old", "-t", "new", "--output-encoding", "ISO-8859-1", "-o", "out.txt"}, "sh");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(read("out.txt"), "previous");
    EXPECT_EQ(files(), std::vector<std::string>{"out.txt"});
}

TEST_F(CliTest, OutputThroughALinkReplacesTheFileItNames) {
    fs::create_directory(dir_ / "texts");
    write("texts/letter.txt", "kheetsoy");
    fs::create_symlink("texts/letter.txt", dir_ / "link.txt");
    fs::create_symlink("link.txt", dir_ / "chain.txt");
    fs::create_symlink("texts/new.txt", dir_ / "dangling.txt");

    EXPECT_EQ(run({"-f", "old", "-t", "new", "-o", "chain.txt", "link.txt"}).status, 0);
    EXPECT_EQ(read("texts/letter.txt"), "xícó");
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.txt"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "chain.txt"));
    EXPECT_EQ(run({"-f", "old", "-t", "new", "-o", "dangling.txt"}, "sh").status, 0);
    EXPECT_EQ(read("texts/new.txt"), "š");
    EXPECT_TRUE(fs::is_symlink(dir_ / "dangling.txt"));
}

// Where standard output and standard error are one terminal, a message does not run on from
// text that has not ended its line; elsewhere nothing is added.
TEST_F(CliTest, AMessageOnTheTerminalStartsOnALineOfItsOwn) {
    const Outcome result = shell(R"(
        printf sh > open.txt; printf 'sh\n' > ended.txt
        script -qec "$CLI -f old -t new open.txt missing.txt" /dev/null | tr -d '\r'
        script -qec "$CLI -f old -t new ended.txt missing.txt" /dev/null | tr -d '\r'
        script -qec "$CLI -f old -t new open.txt missing.txt 2> err.txt" /dev/null | tr -d '\r'
        cat err.txt
    )");
    EXPECT_EQ(result.out, "š\norvaniconv-cli: missing.txt: No such file or directory\n"
                          "š\norvaniconv-cli: missing.txt: No such file or directory\n"
                          "šorvaniconv-cli: missing.txt: No such file or directory\n");
}

} // namespace
