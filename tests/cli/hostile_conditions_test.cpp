// The filter among the files and processes around it: special files as output, closed
// standard streams, other users' files, signals, and inputs that are missing or are the output.

#include "cli_process.h"

namespace {

using namespace orvani::testing;

TEST_F(CliTest, WritesStraightIntoWhatIsNotARegularFile) {
    ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0644), 0);
    fs::create_symlink("/proc/self/fd/1", dir_ / "stdout-link");
    Outcome result = shell("cat fifo > from-fifo & printf sh | $CLI -f old -t new -o fifo; "
                           "status=$?; wait; exit $status");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(read("from-fifo"), "š");
    EXPECT_EQ(fs::status(dir_ / "fifo").type(), fs::file_type::fifo);

    result = shell("printf sh | $CLI -f old -t new -o stdout-link | cat");
    EXPECT_EQ(result.out, "š");
    EXPECT_TRUE(fs::is_symlink(dir_ / "stdout-link"));

    if (::geteuid() == 0) { // only root may make a device
        ASSERT_EQ(::mknod((dir_ / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        EXPECT_EQ(run({"-f", "old", "-t", "new", "-o", "null"}, "sh").status, 0);
        EXPECT_EQ(fs::status(dir_ / "null").type(), fs::file_type::character);
    }
}

// A file is converted where it lies in memory; one that shrinks meanwhile (cut short by another
// program) is reported, not a crash. The output goes into a FIFO, so that the filter waits in
// its first piece, with the file read from memory, until the file is cut.
TEST_F(CliTest, AnInputThatShrinksWhileItIsReadIsAnError) {
    std::string text;
    for (int i = 0; i < 500000; ++i) {
        text += "dhath ";
    }
    write("big.txt", text);
    ASSERT_EQ(::mkfifo((dir_ / "out").c_str(), 0644), 0);
    const Outcome result = shell("$CLI -f old -t new -o out big.txt 2>err & pid=$!; "
                                 "exec 3<out; head -c 1 <&3 >/dev/null; truncate -s 0 big.txt; "
                                 "cat <&3 >/dev/null; wait $pid; echo $? >status");
    EXPECT_EQ(read("status"), "1\n") << result.err;
    EXPECT_EQ(read("err"), "orvaniconv-cli: big.txt: the file shrank while it was being read\n");
}

TEST_F(CliTest, AClosedStandardInputIsNeverTakenForAnotherFile) {
    write("out.txt", "kheetsoy dhath\n");
    write("a.txt", "as");
    for (const std::string args : {"-o out.txt", "-o out.txt a.txt - a.txt"}) {
        const Outcome result = shell("$CLI -f old -t new " + args + " <&-");
        EXPECT_EQ(result.status, 1) << args;
        EXPECT_EQ(result.err, "orvaniconv-cli: standard input: Bad file descriptor\n");
        EXPECT_EQ(read("out.txt"), "kheetsoy dhath\n");
    }
    const Outcome result = shell("$CLI -f old -t new a.txt >&-");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvaniconv-cli: standard output: Bad file descriptor\n");
    EXPECT_EQ(files(), (std::vector<std::string>{"a.txt", "out.txt"}));
}

TEST_F(CliTest, AReplacedFileKeepsItsOwnerOrLosesItsSetIdBits) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root, to own files as another user";
    }
    write("mine.txt", "sh");
    ASSERT_EQ(::chown((dir_ / "mine.txt").c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod((dir_ / "mine.txt").c_str(), 04600), 0);
    EXPECT_EQ(run({"-f", "old", "-t", "new", "-o", "mine.txt", "mine.txt"}).status, 0);
    struct stat kept {};
    ASSERT_EQ(::stat((dir_ / "mine.txt").c_str(), &kept), 0);
    EXPECT_EQ(kept.st_uid, 65534u);
    EXPECT_EQ(kept.st_gid, 65534u);
    EXPECT_EQ(kept.st_mode & 07777, 04600u);

    // Nobody may replace root's file in an open folder, but not make it theirs with the bits.
    fs::permissions(dir_, fs::perms::all);
    write("roots.txt", "sh");
    ASSERT_EQ(::chmod((dir_ / "roots.txt").c_str(), 06777), 0);
    EXPECT_EQ(
        run({"-f", "old", "-t", "new", "-o", "roots.txt", "roots.txt"}, "", "stdout", true).status,
        0);
    struct stat taken {};
    ASSERT_EQ(::stat((dir_ / "roots.txt").c_str(), &taken), 0);
    EXPECT_EQ(taken.st_uid, 65534u);
    EXPECT_EQ(taken.st_mode & 07777, 0777u);
    EXPECT_EQ(read("roots.txt"), "š");
}

// The filter waits on a FIFO with its temporary file made; then a signal comes. The wait for
// the temporary file gives up after ten seconds (status 99) rather than hang the test.
TEST_F(CliTest, SignalsIgnoredAtStartStayIgnoredAndOthersLeaveNoTemporaryFile) {
    const auto signalWhileWaiting = [&](const std::string& setup, const std::string& signal) {
        write("out.txt", "previous");
        return shell("rm -f in; mkfifo in; (" + setup +
                     " exec $CLI -f old -t new -o out.txt in) 2>/dev/null & pid=$!; "
                     "exec 3>in; tries=0; until ls .out.txt.* >/dev/null 2>&1; do "
                     "tries=$((tries + 1)); [ $tries -le 1000 ] || { kill -9 $pid; exit 99; }; "
                     "sleep 0.01; done; "
                     "kill -" +
                     signal +
                     " $pid; sleep 0.1; printf sh >&3; exec 3>&-; "
                     "wait $pid");
    };
    EXPECT_EQ(signalWhileWaiting("trap '' HUP;", "HUP").status, 0);
    EXPECT_EQ(read("out.txt"), "š");
    for (const std::string signal : {"HUP", "QUIT", "USR1", "ALRM", "XCPU", "VTALRM", "PROF"}) {
        const Outcome result = signalWhileWaiting("", signal);
        EXPECT_GT(result.status, 128) << signal;
        EXPECT_EQ(read("out.txt"), "previous");
        EXPECT_EQ(files(), (std::vector<std::string>{"in", "out.txt"})) << signal;
    }
}

TEST_F(CliTest, RefusesAnInputThatIsItsOutput) {
    write("f", "sh\n");
    const Outcome result = shell("$CLI -f new -t new f >> f");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orvaniconv-cli: f: input file is output file\n");
    EXPECT_EQ(read("f"), "sh\n");
}

TEST_F(CliTest, GoesOnPastAnUnreadableInputUnlessWritingAFile) {
    write("a1", "as");
    write("a2", "sh");
    write("out.txt", "previous");
    Outcome result = run({"-f", "old", "-t", "new", "a1", "missing", "a2"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "æsš");
    EXPECT_EQ(result.err, "orvaniconv-cli: missing: No such file or directory\n");
    result = run({"-f", "old", "-t", "new", "-o", "out.txt", "a1", "missing", "a2"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(read("out.txt"), "previous");
}

TEST_F(CliTest, OutputNamesAtTheEdges) {
    const std::string longest(255, 'x');
    fs::create_directory(dir_ / "d");
    write("in", "sh");
    EXPECT_EQ(run({"-f", "old", "-t", "new", "-o", longest, "in"}).status, 0);
    EXPECT_EQ(read(longest), "š");
    for (const std::string folder : {".", "d/", "d"}) {
        const Outcome result = run({"-f", "old", "-t", "new", "-o", folder, "in"});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "orvaniconv-cli: " + folder + ": Is a directory\n");
    }
}

} // namespace
