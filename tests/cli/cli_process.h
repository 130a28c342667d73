#pragma once

// Runs orvaniconv-cli as a real process in a folder of its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace orvani::testing {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

inline std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs the filter as a real process in its own folder, with `input` on standard input.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "orvaniconv-cli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    std::string read(const fs::path& name) const {
        std::ifstream file(dir_ / name, std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    Outcome run(const std::vector<std::string>& args, const std::string& input = "",
                const std::string& stdoutPath = "stdout", bool unprivileged = false) const {
        write(".stdin", input);
        std::string command = "cd " + Quote(dir_.string()) + " && ";
        if (unprivileged && ::geteuid() == 0) {
            // Permissions do not bind root: run the filter as nobody.
            command += "setpriv --reuid=65534 --regid=65534 --clear-groups -- ";
        }
        command += Quote(ORVANICONV_CLI);
        for (const std::string& arg : args) {
            command.append(" ").append(Quote(arg));
        }
        command.append(" < .stdin > ").append(Quote(stdoutPath)).append(" 2> .stderr");
        const int status = std::system(command.c_str());
        Outcome result{WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                       stdoutPath == "stdout" ? read("stdout") : "", read(".stderr")};
        fs::remove(dir_ / ".stdin");
        fs::remove(dir_ / ".stderr");
        fs::remove(dir_ / "stdout");
        return result;
    }

    // Runs a bash `script` in the folder, with the filter's path in $CLI. A script that has not
    // ended after a minute is killed (status 124), so that a test fails rather than hangs.
    Outcome shell(const std::string& script) const {
        const std::string command =
            "cd " + Quote(dir_.string()) + " && CLI=" + Quote(ORVANICONV_CLI) +
            " timeout -k 5 60 bash -c " + Quote(script) + " > .shell-out 2> .shell-err";
        const int status = std::system(command.c_str());
        Outcome result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, read(".shell-out"),
                       read(".shell-err")};
        fs::remove(dir_ / ".shell-out");
        fs::remove(dir_ / ".shell-err");
        return result;
    }

    fs::path dir_;
};

} // namespace orvani::testing
