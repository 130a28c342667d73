#include "cli_process.h"

namespace {

using namespace orvani::testing;
namespace fs = std::filesystem;

TEST_F(CliTest, ConvertsStandardInput) {
    const struct {
        std::vector<std::string> args;
        std::string input;
        std::string output;
    } cases[] = {
        {{"-f", "old", "-t", "new", "--no-a"}, "Kheetsoy dhath, ohm uhr\n", "xícó ðaþ, ohm uhr\n"},
        {{"-f", "old", "-t", "new"}, "Kheetsoy dhath, ohm uhr\n", "xícó ðæþ, ohm uhr\n"},
        {{"-f", "old", "-t", "new", "--oh-uh"}, "Kheetsoy dhath, ohm uhr", "xícó ðæþ, om ur"},
        {{"-f", "old", "-t", "new", "--no-a", "--a"}, "dhath", "ðæþ"},
        {{"-f", "old", "-t", "new", "--oh-uh", "--no-oh-uh"}, "ohm", "ohm"},
        {{"-f", "Old", "-t", "Orvani Script"}, "Kheetsoy dhath", "kExO dqT"},
        {{"--from=OLD", "--to=script"}, "Kheetsoy dhath", "kExO dqT"},
        {{"-f", "script", "-t", "old", "--no-a"}, "kExO dqT\n", "kheetsoy dhath\n"},
        {{"-f", "new", "-t", "new"}, "L'Haÿ-les-Roses\r\n", "L'Haÿ-les-Roses\r\n"},
        {{"-t", "new", "-f", "old", "-"}, "sh", "š"},
        {{"-f", "old", "-t", "new"}, "", ""},
    };
    for (const auto& c : cases) {
        const Outcome result = run(c.args, c.input);
        EXPECT_EQ(result.status, 0) << c.input;
        EXPECT_EQ(result.out, c.output);
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(CliTest, KeepsCapitalsOnRequest) {
    const struct {
        std::vector<std::string> args;
        std::string input;
        std::string output;
    } cases[] = {
        {{"-f", "old", "-t", "new"}, "Kheetsoy, SHOO\n", "Xícó, ŠÚ\n"},
        {{"-f", "new", "-t", "old"}, "Šú, XÍCÓ\n", "Shoo, KHEETSOY\n"},
        {{"-f", "old", "-t", "new", "--format=html"},
         "<p>Khee<b>TSOY</b></p>",
         "<p>Xí<b>CÓ</b></p>"},
        // A capital written in capitals for the next run's, in the run it came from.
        {{"-f", "new", "-t", "old", "--format=html"}, "<p>Ð<b>A</b>.</p>", "<p>DH<b>AH</b>.</p>"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.emplace_back("--keep-case");
        const Outcome result = run(args, c.input);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, c.output);
    }
}

TEST_F(CliTest, KeepsByteOrderMarkAndLineEnds) {
    const Outcome result = run({"-f", "old", "-t", "new", CLI_TEST_DATA "/greeting.old"});
    EXPECT_EQ(result.status, 0) << result.err;
    std::ifstream expected(CLI_TEST_DATA "/greeting.new", std::ios::binary);
    EXPECT_EQ(result.out, std::string(std::istreambuf_iterator<char>(expected), {}));
}

TEST_F(CliTest, ConvertsEachFileOnItsOwn) {
    write("a.txt", "as");
    write("b.txt", "h\n");
    const Outcome result = run({"-f", "old", "-t", "new", "a.txt", "-", "b.txt"}, "s");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "æssh\n");
}

TEST_F(CliTest, ReadsAcrossItsReadBuffer) {
    // A two-letter spelling and a two-byte letter both straddling the first 1 MiB read: that of
    // the conversion, and with the NFC step that of the step, which holds back the last letter.
    const std::string head((std::size_t{1} << 20) - 1, 'b');
    write("spelling.txt", head + "sh");
    write("letter.txt", head + "\xC5\xA1" + "\x81");
    for (const std::string normalize : {"--normalize", "--no-normalize"}) {
        Outcome result = run({"-f", "old", "-t", "new", normalize, "spelling.txt"});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(result.out == head + "š") << normalize;
        result = run({"-f", "new", "-t", "new", normalize, "letter.txt"});
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(result.out == head + "š") << normalize;
        EXPECT_EQ(result.err, "orvaniconv-cli: letter.txt: invalid UTF-8 at byte " +
                                  std::to_string(head.size() + 2) + "\n");
    }
}

// Large inputs are converted a megabyte at a time, each cut in two halves that are converted
// at the same time; the halves must join without a seam.
TEST_F(CliTest, ConvertsLargeInputsWithoutSeams) {
    std::string old;
    std::string expected;
    for (int i = 0; i < 120000; ++i) {
        old += "Kheetsoy dhath, ohm uhr\n";
        expected += "xícó ðæþ, ohm uhr\n";
    }
    write("large.txt", old);
    const Outcome result = run({"-f", "old", "-t", "new", "large.txt"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.out == expected) << "the output differs";
    std::string kept;
    for (int i = 0; i < 120000; ++i) {
        kept += "Xícó ðæþ, ohm uhr\n";
    }
    EXPECT_TRUE(run({"-f", "old", "-t", "new", "--keep-case", "large.txt"}).out == kept)
        << "the output with capitals kept differs";

    // A fault in the first and in the second half of the first megabyte.
    for (const std::size_t fault : {std::size_t{300000}, std::size_t{800000}}) {
        std::string bad = old;
        bad[fault] = '\x81';
        write("bad.txt", bad);
        const Outcome failed = run({"-f", "old", "-t", "old", "bad.txt"});
        EXPECT_EQ(failed.status, 1);
        EXPECT_EQ(failed.err,
                  "orvaniconv-cli: bad.txt: invalid UTF-8 at byte " + std::to_string(fault) + "\n");
        write("prefix.txt", old.substr(0, fault));
        EXPECT_TRUE(failed.out == run({"-f", "old", "-t", "old", "prefix.txt"}).out)
            << "the text before the fault at " << fault << " differs";
    }
}

TEST_F(CliTest, ReportsInvalidUtf8AndKeepsTheTextBeforeIt) {
    write("good.txt", "sh\n");
    write("bad.txt", "ok\nas\x81more");
    write("cut.txt", "ab\xC5");
    const struct {
        std::vector<std::string> args;
        std::string output;
        std::string message;
    } cases[] = {
        {{"good.txt", "bad.txt"}, "š\nok\næs", "bad.txt: invalid UTF-8 at byte 5"},
        {{"cut.txt"}, "æb", "cut.txt: invalid UTF-8 at byte 2"},
        {{"-"}, "", "standard input: invalid UTF-8 at byte 0"},
        {{"bad.txt", "good.txt"}, "ok\næs", "bad.txt: invalid UTF-8 at byte 5"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"-f", "old", "-t", "new"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome result = run(args, "\x81");
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, c.output);
        EXPECT_EQ(result.err, "orvaniconv-cli: " + c.message + "\n");
    }
}

TEST_F(CliTest, ReportsFilesThatCannotBeRead) {
    fs::create_directory(dir_ / "folder");
    Outcome result = run({"-f", "old", "-t", "new", "missing.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvaniconv-cli: missing.txt: No such file or directory\n");
    result = run({"-f", "old", "-t", "new", "folder"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvaniconv-cli: folder: Is a directory\n");
}

TEST_F(CliTest, ReportsWhatItMayNotReadOrWrite) {
    fs::permissions(dir_, fs::perms::all);
    write("secret.txt", "sh");
    fs::permissions(dir_ / "secret.txt", fs::perms::none);
    fs::create_directory(dir_ / "locked");
    fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::owner_exec |
                                         fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
    Outcome result = run({"-f", "old", "-t", "new", "secret.txt"}, "", "stdout", true);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvaniconv-cli: secret.txt: Permission denied\n");
    result = run({"-f", "old", "-t", "new", "-o", "locked/out.txt"}, "sh", "stdout", true);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvaniconv-cli: locked: Permission denied\n");
    EXPECT_TRUE(fs::is_empty(dir_ / "locked"));
}

// A reader that stops early ("| head -c 1") ends the filter quietly, whether SIGPIPE ends it
// or, where SIGPIPE is ignored, the failed write does.
TEST_F(CliTest, StopsQuietlyWhenTheReaderGoesAway) {
    std::string text;
    for (int i = 0; i < 200000; ++i) {
        text += "Kheetsoy dhath, ohm uhr\n";
    }
    write("large.txt", text);
    for (const std::string ignore : {"", "trap '' PIPE; "}) {
        const std::string command = "cd " + Quote(dir_.string()) + " && bash -c " +
                                    Quote(ignore + Quote(ORVANICONV_CLI) +
                                          " -f old -t new large.txt 2>.stderr | head -c 1 "
                                          ">/dev/null; exit ${PIPESTATUS[0]}");
        const int status = std::system(command.c_str());
        EXPECT_EQ(WEXITSTATUS(status), 128 + 13) << ignore;
        EXPECT_EQ(read(".stderr"), "") << ignore;
    }
}

TEST_F(CliTest, ReportsAFullDisk) {
    const Outcome result = run({"-f", "old", "-t", "new"}, "sh", "/dev/full");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvaniconv-cli: standard output: No space left on device\n");
}

TEST_F(CliTest, OutputFileIsReplacedOnlyOnSuccess) {
    write("in.txt", "sh");
    write("bad.txt", "sh\xFF");
    write("out.txt", "previous");
    ::chmod((dir_ / "out.txt").c_str(), 0640);

    Outcome result = run({"-f", "old", "-t", "new", "-o", "out.txt", "in.txt", "bad.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(read("out.txt"), "previous");
    EXPECT_EQ(files(), (std::vector<std::string>{"bad.txt", "in.txt", "out.txt"}));

    result = run({"-f", "old", "-t", "new", "-o", "out.txt", "in.txt"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(read("out.txt"), "š");
    EXPECT_EQ(fs::status(dir_ / "out.txt").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(files(), (std::vector<std::string>{"bad.txt", "in.txt", "out.txt"}));
}

TEST_F(CliTest, OutputFileMayBeItsOwnInput) {
    write("text.txt", "Kheetsoy dhath\n");
    const Outcome result = run({"-f", "old", "-t", "new", "-o", "text.txt", "text.txt"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(read("text.txt"), "xícó ðæþ\n");
    EXPECT_EQ(files(), std::vector<std::string>{"text.txt"});
}

TEST_F(CliTest, OutputIntoAMissingFolderFails) {
    const Outcome result = run({"-f", "old", "-t", "new", "-o", "nowhere/out.txt"}, "sh");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvaniconv-cli: nowhere: No such file or directory\n");
}

TEST_F(CliTest, UsageErrorsPointToHelp) {
    const struct {
        std::vector<std::string> args;
        std::string reason;
    } cases[] = {
        {{"-t", "new"}, "missing -f FROM, the standard of the input"},
        {{"-f", "old"}, "missing -t TO, the standard wanted"},
        {{"-f", "klingon", "-t", "new"}, "unknown standard 'klingon' (choose old, new or script)"},
        {{"-f", "old", "-t", "new", "--bogus"}, "unknown option '--bogus'"},
        {{"-x", "-f", "old", "-t", "new"}, "unknown option '-x'"},
        {{"-t", "new", "-f"}, "option '-f' needs an argument"},
        {{"-t", "new", "--from"}, "option '--from' needs an argument"},
        {{"-f", "old", "-t", "new", "--input-encoding", "klingon-8"},
         "unknown encoding 'klingon-8'"},
        {{"-f", "old", "-t", "new", "--output-encoding="}, "unknown encoding ''"},
        {{"-f", "old", "-t", "new", "-o", ""}, "option '-o' needs a file name"},
        {{"-f", "old", "-t", "new", "--output="}, "option '--output' needs a file name"},
        {{"-f", "old", "-t", "new", "--output", ""}, "option '--output' needs a file name"},
        {{"-f", "old", "-t", "new", "--no"},
         "option '--no' is ambiguous; possibilities: '--no-a' '--no-oh-uh' '--no-normalize' "
         "'--normalize'"},
        {{"-f", "old", "-t", "new", "--a=1"}, "option '--a' takes no argument"},
        {{"-f", "old", "-t", "new", "--replace=1"}, "option '--replace' takes no argument"},
        {{"-f", "script", "-t", "old", "--keep-case"},
         "--keep-case is for old and new: in Orvani Script the case of a letter is the letter, "
         "so there is no case to keep"},
        {{"-f", "old", "-t", "new", "--output-dir", "out"},
         "--output-dir writes each FILE under its own name, and standard input (-) has none: "
         "name the files"},
        {{"-f", "old", "-t", "new", "--output-dir=out", "a.txt", "-"},
         "--output-dir writes each FILE under its own name, and standard input (-) has none: "
         "name the files"},
        {{"-f", "old", "-t", "new", "--output-dir=out", "-o", "b.txt", "a.txt"},
         "-o and --output-dir both say where to write: give one of them"},
        {{"-f", "old", "-t", "new", "--output-dir="}, "option '--output-dir' needs a folder name"},
        {{"-f", "old", "-t", "new", "--report=xml"},
         "unknown report format 'xml' (choose text or json)"},
        {{"-f", "new", "--keep-case", "-t", "Orvani Script"},
         "--keep-case is for old and new: in Orvani Script the case of a letter is the letter, "
         "so there is no case to keep"},
    };
    for (const auto& c : cases) {
        const Outcome result = run(c.args);
        EXPECT_EQ(result.status, 2) << c.reason;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "orvaniconv-cli: " + c.reason +
                                  "\nTry 'orvaniconv-cli --help' for more information.\n");
    }
}

TEST_F(CliTest, AcceptsEncodingsAndTheirSwitches) {
    const std::vector<std::string> cases[] = {
        {"--input-encoding", "windows-1252"},
        {"--input-encoding=ISO-8859-1"},
        {"--input-encoding=UTF-16"},
        {"--output-encoding", "latin1"},
        {"--output-encoding=cp1252"},
        {"--no-normalize", "--normalize"},
        {"--replace-invalid"},
    };
    for (const auto& args : cases) {
        std::vector<std::string> all = {"-f", "old", "-t", "old"};
        all.insert(all.end(), args.begin(), args.end());
        const Outcome result = run(all, "");
        EXPECT_EQ(result.status, 0) << args.front() << ": " << result.err;
    }
}

TEST_F(CliTest, DashOutputIsStandardOutput) {
    const Outcome result = run({"-f", "old", "-t", "new", "-o", "-"}, "sh");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "š");
    EXPECT_EQ(files(), std::vector<std::string>{});
}

TEST_F(CliTest, HelpVersionAndList) {
    Outcome result = run({"--version"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "orvaniconv-cli 1.00\n");

    result = run({"--list"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "old     Old\nnew     New\nscript  Orvani Script\n");

    result = run({"-f", "old", "--help", "--bogus"});
    EXPECT_EQ(result.status, 0);
    for (const char* option : {"--from",
                               "--to",
                               "--a",
                               "--no-a",
                               "--oh-uh",
                               "--no-oh-uh",
                               "--output",
                               "--list",
                               "--help",
                               "--version",
                               "--input-encoding",
                               "--output-encoding",
                               "--replace-invalid",
                               "--no-normalize",
                               "--normalize",
                               "--script-font",
                               "--by-font",
                               "--all-text",
                               "--keep-case",
                               "--report",
                               "--output-dir",
                               "--verbose"}) {
        EXPECT_NE(result.out.find(option), std::string::npos) << option;
    }

    for (const char* option : {"--help", "--version", "--list"}) {
        result = run({option}, "", "/dev/full");
        EXPECT_EQ(result.status, 1) << option;
        EXPECT_EQ(result.err, "orvaniconv-cli: standard output: No space left on device\n");
    }
}

} // namespace
